#include "support/files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/error.h"
#include "support/uuid.h"

namespace tarnwick::files {

namespace {

SystemError posixError(long fallbackCode, const fs::path& path) {
    long code = errno == ENOENT ? file_error::kFileNoSuchFile
                : errno == ENOSPC ? file_error::kFileWriteOutOfSpace
                                  : fallbackCode;
    return file_error::make(code, path.filename().string());
}

bool writeAll(int fd, std::string_view bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

int openRegular(const fs::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    const int error = ::fstat(fd, &info) != 0 ? errno : S_ISREG(info.st_mode) ? 0 : EINVAL;
    if (error) {
        ::close(fd);
        errno = error;
        return -1;
    }
    // Regular files never block; clearing the flag only keeps later reads and writes ordinary.
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

std::string read(const fs::path& path) {
    int fd = openRegular(path, O_RDONLY);
    if (fd < 0) throw posixError(file_error::kFileReadUnknown, path);
    std::string content;
    char buffer[65536];
    while (true) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            auto error = posixError(file_error::kFileReadUnknown, path);
            ::close(fd);
            throw error;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return content;
}

void writeAtomically(const fs::path& path, std::string_view bytes) {
    std::string temporaryName = ".";
    temporaryName += path.filename().string();
    temporaryName += '.';
    temporaryName += uuid::random();
    temporaryName += ".tmp";
    const fs::path temporary = path.parent_path() / temporaryName;
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) throw posixError(file_error::kFileWriteUnknown, path);
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        errno = savedErrno;
        throw posixError(file_error::kFileWriteUnknown, path);
    }
}

void createDirectories(const fs::path& path) {
    std::error_code error;
    fs::create_directories(path, error);
    if (error || !fs::is_directory(path, error)) throw file_error::make(file_error::kFileWriteUnknown, path.filename().string());
}

void append(const fs::path& path, std::string_view bytes) {
    int fd = openRegular(path, O_WRONLY | O_APPEND);
    if (fd < 0) throw posixError(file_error::kFileWriteUnknown, path);
    bool ok = writeAll(fd, bytes);
    int savedErrno = errno;
    ::close(fd);
    if (!ok) {
        errno = savedErrno;
        throw posixError(file_error::kFileWriteUnknown, path);
    }
}

std::optional<std::uintmax_t> size(const fs::path& path) {
    std::error_code error;
    auto status = fs::status(path, error);
    if (error || !fs::is_regular_file(status)) return std::nullopt;
    auto bytes = fs::file_size(path, error);
    if (error) return std::nullopt;
    return bytes;
}

bool itemExists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

}  // namespace tarnwick::files
