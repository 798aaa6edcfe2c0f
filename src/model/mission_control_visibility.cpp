#include "model/mission_control_visibility.h"

#include <algorithm>
#include <iterator>

#include "platform/platform.h"

namespace tarnwick {

namespace {

namespace keys = platform::window_list;

bool isMissionControlWindow(const Value& entry) {
    if (!entry.asDictionary()) return false;
    const auto* owner = entry.find(keys::kOwnerName);
    const auto* ownerName = owner ? owner->asString() : nullptr;
    if (!ownerName || *ownerName != MissionControlVisibility::kOwnerName) return false;
    // The layer must be the integer 19 itself: not a boolean, not a fraction that rounds to it.
    const auto* layer = entry.find(keys::kLayer);
    return layer && layer->toInt64() == MissionControlVisibility::kLayer;
}

const Array* entriesOf(const std::optional<Value>& windowList) {
    return windowList ? windowList->asArray() : nullptr;
}

}  // namespace

std::optional<Value> MissionControlVisibility::currentSnapshot() {
    auto list = platform::current().windowServer->copyWindowList(
        keys::kOptionOnScreenOnly | keys::kOptionExcludeDesktopElements, keys::kNullWindowID);
    if (!list || !list->asArray()) return std::nullopt;
    return list;
}

bool MissionControlVisibility::isVisible(const std::optional<Value>& windowList) {
    const auto* entries = entriesOf(windowList);
    return entries && std::any_of(entries->begin(), entries->end(), isMissionControlWindow);
}

Array MissionControlVisibility::matchingWindows(const std::optional<Value>& windowList) {
    Array matches;
    if (const auto* entries = entriesOf(windowList))
        std::copy_if(entries->begin(), entries->end(), std::back_inserter(matches), isMissionControlWindow);
    return matches;
}

}  // namespace tarnwick
