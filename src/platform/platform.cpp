#include "platform/platform.h"

#include <stdexcept>

namespace tarnwick::platform {

namespace {
Platform* gPlatform = nullptr;
}

Platform& current() {
    if (!gPlatform) throw std::logic_error("no platform is installed");
    return *gPlatform;
}

PlatformScope::PlatformScope(Platform& platform) : previous_(gPlatform) { gPlatform = &platform; }
PlatformScope::~PlatformScope() { gPlatform = previous_; }

std::filesystem::path libraryFolder() { return current().system->homeDirectory() / "Library"; }
std::filesystem::path applicationSupportFolder() { return libraryFolder() / "Application Support"; }

std::optional<std::string> UserDefaults::string(const std::string& key) {
    auto value = object(key);
    if (!value || !value->asString()) return std::nullopt;
    return *value->asString();
}

std::optional<Array> UserDefaults::array(const std::string& key) {
    auto value = object(key);
    if (!value || !value->asArray()) return std::nullopt;
    return *value->asArray();
}

std::optional<Dictionary> UserDefaults::dictionary(const std::string& key) {
    auto value = object(key);
    if (!value || !value->asDictionary()) return std::nullopt;
    return *value->asDictionary();
}

}  // namespace tarnwick::platform
