#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "support/value.h"

namespace tarnwick::platform {

// A bundle's manifest, the stand-in for its information property list: a property-list file
// (property_list.h) inside the bundle folder.
inline constexpr const char* kBundleManifestPath = "Contents/Info.json";

// The running program's own bundle, as the platform finds it when the process starts.
class MainBundle {
public:
    virtual ~MainBundle() = default;
    // The bundle folder as the platform reports it (not normalised). A program that does not
    // run from a bundle reports the folder of its executable.
    virtual std::filesystem::path bundleURL() = 0;
};

// A bundle folder with its information dictionary, read from the manifest when the bundle is
// made. An unreadable or malformed manifest reads as an empty dictionary.
class Bundle {
public:
    explicit Bundle(std::filesystem::path url);

    const std::filesystem::path& bundleURL() const { return url_; }
    const Dictionary& infoDictionary() const { return info_; }
    // A value of the information dictionary; nothing when absent.
    std::optional<Value> object(const std::string& infoDictionaryKey) const;
    // "CFBundleIdentifier" when it is a string.
    std::optional<std::string> bundleIdentifier() const;

private:
    std::filesystem::path url_;
    Dictionary info_;
};

// The running program's bundle (from the installed platform).
Bundle mainBundle();

}  // namespace tarnwick::platform
