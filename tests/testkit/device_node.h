#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

namespace tarnwick::testkit {

// Why a test that needs a device of its own skips.
inline constexpr const char* kNoDeviceHere =
    "skipped, as no device could be made in the test's folder (that takes root, on a file system that allows "
    "devices)";

// The kernel's null device (what is written vanishes) and full device (every write fails, out of
// space), by their device numbers.
inline constexpr unsigned kNullDevice[2] = {1, 3};
inline constexpr unsigned kFullDevice[2] = {1, 7};

// Makes a character device at `path`, in the test's own folder, so that a test never opens, and a
// broken writer never replaces, one of the machine's. Nothing where it cannot be made or opened
// (not root; a file system mounted without devices).
inline std::optional<std::filesystem::path> makeCharacterDevice(const std::filesystem::path& path,
                                                                const unsigned (&number)[2]) {
    if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(number[0], number[1])) != 0) return std::nullopt;
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        ::unlink(path.c_str());
        return std::nullopt;
    }
    ::close(fd);
    return path;
}

}  // namespace tarnwick::testkit
