#pragma once

#include <filesystem>
#include <string>

// Paths as self-installation compares them. A location is compared by the path of its
// normalised form: symbolic links resolved, then "." and ".." removed. A trailing "/" never
// changes what a path names.
namespace tarnwick::paths {

// Removes ".", "..", repeated and trailing separators without looking at the disk.
std::filesystem::path standardized(const std::filesystem::path& path);
// Resolves the symbolic links along the existing part of the path (a relative path is taken
// from the current folder); what does not exist is kept as written.
std::filesystem::path resolvingSymlinks(const std::filesystem::path& path);
// Resolved, then standardised.
std::filesystem::path normalized(const std::filesystem::path& path);

// The same path without trailing separators, so that the item itself is looked at (a link
// named with a trailing "/" would otherwise be followed).
std::filesystem::path withoutTrailingSlash(const std::filesystem::path& path);
// The last component, ignoring a trailing "/".
std::string lastComponent(const std::filesystem::path& path);
// The path without its last component, ignoring a trailing "/".
std::filesystem::path parent(const std::filesystem::path& path);

}  // namespace tarnwick::paths
