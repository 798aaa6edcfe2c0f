#include "support/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <utility>

#include "support/error.h"
#include "support/file_target.h"
#include "support/write_temporaries.h"

namespace tarnwick::files {

namespace {

using detail::posixError;

bool writeAll(int fd, std::string_view bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        if (detail::injectedFailure(WriteStep::writeBytes)) return false;
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

std::mutex hooksMutex;
WriteHooks installedHooks;

WriteHooks currentHooks() {
    std::lock_guard lock(hooksMutex);
    return installedHooks;
}

bool flushed(int fd) { return !detail::injectedFailure(WriteStep::flush) && ::fsync(fd) == 0; }

// Opens the target for appending, made when missing. The open never waits for a reader, should a
// FIFO have taken the name since it was looked at, and follows no link that did.
int openForAppending(const detail::WriteTarget& target, const fs::path& path) {
    const int fd = ::openat(target.folder.fd(), target.name.c_str(),
                            O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) return fd;
    const int error = errno;
    if (fd >= 0) ::close(fd);
    detail::confirmStillReplaceable(target, path);  // says what took the name
    errno = error;
    throw posixError(file_error::kFileWriteUnknown, path);
}

}  // namespace

namespace detail {

bool injectedFailure(WriteStep step) {
    std::function<int(WriteStep)> hook;
    {
        std::lock_guard lock(hooksMutex);
        if (!installedHooks.step) return false;
        hook = installedHooks.step;
    }
    // Called without the lock: the hook may write files of its own, as another program would.
    const int error = hook(step);
    if (error == 0) return false;
    errno = error;
    return true;
}

}  // namespace detail

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

std::string read(const fs::path& path) { return read(path, {}); }

std::string read(const fs::path& path, const std::function<bool(std::string_view piece)>& keepReading) {
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
        if (keepReading && !keepReading(std::string_view(buffer, static_cast<size_t>(n)))) break;
    }
    ::close(fd);
    return content;
}

void writeAtomically(const fs::path& path, std::string_view bytes) {
    const WriteHooks hooks = currentHooks();
    const detail::WriteTarget target = detail::resolveWriteTarget(path);
    detail::removeLeftoverTemporaries(target, hooks);
    detail::HeldTemporary temporary(target.folder.fd(), target.name, path);
    if (hooks.temporaryMade) hooks.temporaryMade(target.file.parent_path() / temporary.name());
    // The replacement keeps the permissions of the file it replaces: a file its owner made
    // private stays private.
    if (target.mode) ::fchmod(temporary.fd(), *target.mode & 07777);
    if (!writeAll(temporary.fd(), bytes) || !flushed(temporary.fd())) throw posixError(file_error::kFileWriteUnknown, path);
    detail::renameOver(target, temporary.name(), path);
    temporary.renamed();
}

std::optional<TargetRefused> refusalOfWriting(const fs::path& path) {
    try {
        detail::resolveWriteTarget(path);
    } catch (const TargetRefused& refused) {
        return refused;
    } catch (const SystemError&) {
        // A folder on the way cannot be opened: that is a failure, not a refusal of what is there.
    }
    return std::nullopt;
}

void createDirectories(const fs::path& path) {
    std::error_code error;
    fs::create_directories(path, error);
    if (!error && !fs::is_directory(path, error) && !error) error = std::make_error_code(std::errc::not_a_directory);
    if (error)
        throw file_error::make(file_error::kFileWriteUnknown, path.filename().string(),
                               error.category() == std::generic_category() || error.category() == std::system_category()
                                   ? error.value()
                                   : 0);
}

void append(const fs::path& path, std::string_view bytes) {
    const detail::WriteTarget target = detail::resolveWriteTarget(path);
    const int fd = openForAppending(target, path);
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

WriteHooksScope::WriteHooksScope(WriteHooks hooks) {
    std::lock_guard lock(hooksMutex);
    installedHooks = std::move(hooks);
}

WriteHooksScope::~WriteHooksScope() {
    std::lock_guard lock(hooksMutex);
    installedHooks = {};
}

}  // namespace tarnwick::files
