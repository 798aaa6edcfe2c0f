#include "platform/bundle.h"

#include "platform/platform.h"
#include "platform/property_list.h"
#include "support/error.h"
#include "support/json.h"

namespace tarnwick::platform {

Bundle::Bundle(std::filesystem::path url) : url_(std::move(url)) {
    try {
        auto info = propertyListFromData(json::readFile(url_ / kBundleManifestPath));
        if (auto dictionary = info.asDictionary()) info_ = std::move(*dictionary);
    } catch (const Error&) {
        // No readable manifest: the bundle has no information dictionary.
    }
}

std::optional<Value> Bundle::object(const std::string& infoDictionaryKey) const {
    auto it = info_.find(infoDictionaryKey);
    if (it == info_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> Bundle::bundleIdentifier() const {
    auto value = object("CFBundleIdentifier");
    if (!value || !value->asString()) return std::nullopt;
    return *value->asString();
}

Bundle mainBundle() { return Bundle(current().mainBundle->bundleURL()); }

}  // namespace tarnwick::platform
