#pragma once

// Shared by the fuzz targets: a scratch folder for the process, the input as text, and checks
// whose failure libFuzzer records as a crash with the input that caused it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <utility>

#include "testkit/temp_folder.h"

namespace tarnwick::fuzz {

// Points the process's temporary folder at memory when the machine has one: the targets write
// a file for every input, and the program's own atomic writes flush what they write.
inline void preferMemoryForTemporaryFiles() {
    std::error_code error;
    if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", error)) ::setenv("TMPDIR", "/dev/shm", 0);
}

// One folder for the whole run, removed when the process ends normally.
inline const std::filesystem::path& scratchFolder() {
    static const testkit::TempFolder folder;
    return folder.path();
}

inline std::string text(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Writes the bytes as they are: the harness's own write needs none of the program's care.
inline void writeFile(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The device and inode of a file: an atomic replacement changes them.
inline std::pair<std::uint64_t, std::uint64_t> identity(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return {0, 0};
    return {info.st_dev, info.st_ino};
}

// A property the program promises; a broken one stops the run.
inline void require(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "Broken promise: %s\n", promise);
    std::abort();
}

}  // namespace tarnwick::fuzz
