#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::platform {

// The absolute "file" URL text of a path ("file:///Volumes/Tarnwick/"), percent-encoding what a
// URL path cannot hold. Folders end with "/".
std::string fileURLString(const std::filesystem::path& path, bool isDirectory);

// The path a "file" URL names; nothing for another scheme, a remote host or a bad escape.
std::optional<std::filesystem::path> pathFromFileURL(std::string_view url);

}  // namespace tarnwick::platform
