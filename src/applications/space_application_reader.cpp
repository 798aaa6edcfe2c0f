#include "applications/space_application_reader.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "applications/window_metadata.h"
#include "model/private_spaces.h"
#include "platform/window_server.h"

namespace tarnwick {

namespace {

namespace keys = platform::window_list;

const Value* member(const Dictionary& description, const char* key) {
    const auto found = description.find(key);
    return found == description.end() ? nullptr : &found->second;
}

SpaceApplicationReader::Snapshot everythingUnavailable(const std::vector<std::uint64_t>& spaceIDs) {
    SpaceApplicationReader::Snapshot snapshot;
    snapshot.unavailable.insert(spaceIDs.begin(), spaceIDs.end());
    return snapshot;
}

}  // namespace

SpaceApplicationReader::SpaceApplicationReader(std::shared_ptr<SerialExecutor> executor)
    : executor_(executor ? std::move(executor) : makeSerialExecutor("tarnwick.space-applications")) {}

SpaceApplicationReader& SpaceApplicationReader::shared() {
    static SpaceApplicationReader reader;
    return reader;
}

Task<SpaceApplicationReader::Snapshot> SpaceApplicationReader::read(std::vector<std::uint64_t> spaceIDs) {
    auto job = [ids = std::move(spaceIDs)] { return readNow(ids); };
    Snapshot snapshot = co_await onExecutor(*executor_, std::move(job));
    co_return snapshot;
}

SpaceApplicationReader::Snapshot SpaceApplicationReader::readNow(const std::vector<std::uint64_t>& spaceIDs) {
    auto answer = PrivateSpaces::windowIDs(spaceIDs);
    if (!answer) return everythingUnavailable(spaceIDs);

    Snapshot snapshot;
    // Each window once, in the order the desktops list them, with the desktops that list it.
    std::vector<std::uint32_t> collected;
    std::unordered_map<std::uint32_t, std::vector<std::uint64_t>> spacesOfWindow;
    std::unordered_set<std::uint64_t> seenSpaces;
    for (auto spaceID : spaceIDs) {
        if (!seenSpaces.insert(spaceID).second) continue;
        const auto listed = answer->find(spaceID);
        if (listed == answer->end()) {
            snapshot.unavailable.insert(spaceID);
            continue;
        }
        for (auto windowID : listed->second) {
            auto& spaces = spacesOfWindow[windowID];
            if (spaces.empty()) collected.push_back(windowID);
            spaces.push_back(spaceID);
        }
    }

    auto descriptions = WindowMetadata::descriptions(collected);
    if (!descriptions) return everythingUnavailable(spaceIDs);

    std::unordered_set<std::uint32_t> described;
    for (const auto& description : *descriptions) {
        const Value* number = member(description, keys::kNumber);
        const auto windowID = number ? number->toUInt32() : std::nullopt;
        // A window the server reports twice is taken once: code downstream relies on unique ids.
        if (!windowID || !spacesOfWindow.count(*windowID) || described.count(*windowID)) continue;
        const Value* owner = member(description, keys::kOwnerPID);
        const Value* layer = member(description, keys::kLayer);
        const Value* bounds = member(description, keys::kBounds);
        const auto ownerPID = owner ? owner->toInt32() : std::nullopt;
        const auto layerValue = layer ? layer->toInt64() : std::nullopt;
        const auto frame = bounds ? WindowMetadata::rect(*bounds) : std::nullopt;
        if (!ownerPID || !layerValue || !frame) continue;
        snapshot.windows.push_back({*windowID, *ownerPID, *layerValue, *frame, spacesOfWindow[*windowID]});
        described.insert(*windowID);
    }

    for (auto windowID : collected)
        if (!described.count(windowID)) {
            const auto& spaces = spacesOfWindow[windowID];
            snapshot.incomplete.insert(spaces.begin(), spaces.end());
        }
    return snapshot;
}

}  // namespace tarnwick
