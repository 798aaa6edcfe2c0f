// The checks the app-focus flow repeats between its steps: the desktop still in the catalog, the
// window still the app's on that desktop, and the front window of the desktop.

#include <algorithm>
#include <set>

#include "applications/application_focus_verification.h"
#include "applications/application_window_focus.h"
#include "applications/running_application_record.h"
#include "applications/window_metadata.h"
#include "model/private_spaces.h"
#include "platform/platform.h"

namespace tarnwick {

namespace {

namespace keys = platform::window_list;

const DesktopMonitor* firstDisplay(const std::vector<DesktopMonitor>& catalog, const std::string& monitorID) {
    auto found =
        std::find_if(catalog.begin(), catalog.end(), [&](const DesktopMonitor& m) { return m.id == monitorID; });
    return found == catalog.end() ? nullptr : &*found;
}

}  // namespace

bool ApplicationWindowFocus::validDesktop(const SpaceApplicationFocusTarget& target,
                                          const std::vector<DesktopMonitor>& catalog) {
    const DesktopMonitor* display = firstDisplay(catalog, target.monitorID);
    if (!display) return false;
    return std::any_of(display->desktops.begin(), display->desktops.end(), [&](const ManagedDesktop& desktop) {
        return desktop.id == target.desktopID && desktop.spaceID == target.spaceID;
    });
}

bool ApplicationWindowFocus::validOwnership(const SpaceApplicationFocusTarget& target, const std::string& appID) {
    const auto spaces = PrivateSpaces::windowIDs({target.spaceID});
    if (!spaces) return false;
    const auto listed = spaces->find(target.spaceID);
    if (listed == spaces->end() ||
        std::find(listed->second.begin(), listed->second.end(), target.windowID) == listed->second.end())
        return false;

    const auto descriptions = WindowMetadata::descriptions({target.windowID});
    if (!descriptions || descriptions->size() != 1) return false;
    const auto owner = descriptions->front().find(keys::kOwnerPID);
    if (owner == descriptions->front().end() || owner->second.toInt32() != target.ownerPID) return false;

    const auto record = runningApplicationRecord(target.ownerPID);
    return record && record->isRegular && SpaceApplicationCatalog::identity(*record) == appID;
}

std::optional<std::uint32_t> ApplicationWindowFocus::frontWindowOnSpace(const SpaceApplicationFocusTarget& target,
                                                                        const std::vector<DesktopMonitor>& catalog) {
    const DesktopMonitor* display = firstDisplay(catalog, target.monitorID);
    if (!display) return std::nullopt;
    const auto spaces = PrivateSpaces::windowIDs({target.spaceID});
    if (!spaces) return std::nullopt;
    const auto listed = spaces->find(target.spaceID);
    if (listed == spaces->end()) return std::nullopt;

    const auto list = platform::current().windowServer->copyWindowList(
        keys::kOptionOnScreenOnly | keys::kOptionExcludeDesktopElements, keys::kNullWindowID);
    const Array* entries = list ? list->asArray() : nullptr;
    if (!entries) return std::nullopt;
    std::vector<ApplicationWindowObservation> observations;
    for (const auto& entry : *entries)
        if (auto observation = ApplicationWindowObservation::from(entry)) observations.push_back(*observation);

    const std::set<std::uint32_t> spaceWindows(listed->second.begin(), listed->second.end());
    return ApplicationFocusVerification::frontWindow(observations, spaceWindows, display->bounds);
}

}  // namespace tarnwick
