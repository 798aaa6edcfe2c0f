#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::files {

namespace fs = std::filesystem;

// Reads a whole file; throws SystemError when it cannot be read.
std::string read(const fs::path& path);

// Replaces the file atomically: the bytes go to a temporary file in the same folder, are flushed,
// and the temporary is renamed over the target. An interrupted write leaves the old file whole.
// Throws SystemError on failure (the temporary is removed).
void writeAtomically(const fs::path& path, std::string_view bytes);

// Creates a folder with its intermediate folders; throws SystemError on failure.
void createDirectories(const fs::path& path);

// Appends bytes at the end of an existing file; throws SystemError on failure.
void append(const fs::path& path, std::string_view bytes);

// Size of a regular file, or nothing when it cannot be read.
std::optional<std::uintmax_t> size(const fs::path& path);

// Exists without following a final symbolic link.
bool itemExists(const fs::path& path);

}  // namespace tarnwick::files
