#include "applications/window_metadata.h"

#include "platform/platform.h"

namespace tarnwick {

std::optional<std::vector<Dictionary>> WindowMetadata::descriptions(const std::vector<std::uint32_t>& windowIDs) {
    if (windowIDs.empty()) return std::vector<Dictionary>{};
    auto answer = platform::current().windowServer->copyWindowDescriptions(windowIDs);
    Array* entries = answer ? answer->asArray() : nullptr;
    if (!entries) return std::nullopt;
    std::vector<Dictionary> result;
    result.reserve(entries->size());
    for (auto& entry : *entries) {
        Dictionary* description = entry.asDictionary();
        if (!description) return std::nullopt;
        result.push_back(std::move(*description));
    }
    return result;
}

std::optional<Rect> WindowMetadata::rect(const Value& dictionary) {
    if (!dictionary.asDictionary()) return std::nullopt;
    double parts[4];
    const char* keys[4] = {"X", "Y", "Width", "Height"};
    for (int i = 0; i < 4; ++i) {
        const Value* member = dictionary.find(keys[i]);
        if (!member || !member->isNumber()) return std::nullopt;
        parts[i] = *member->toDouble();
    }
    return Rect(parts[0], parts[1], parts[2], parts[3]);
}

}  // namespace tarnwick
