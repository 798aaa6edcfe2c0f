#include "support/file_target.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>  // renameat2
#include <utility>

namespace tarnwick::files::detail {

namespace {

std::string kindOfItem(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "an item of a special kind";
}

// What a link in /proc/<pid>/fd (or /proc/<pid>/cwd, /exe, ...) is: no file with a place in a
// folder, but whatever the process holds there, a terminal, a pipe, or a file that someone else
// is reading from or writing to.
constexpr const char* kOpenByAProcess = "a process\u2019s link to something it has open";

TargetRefused refusal(const fs::path& path, const std::string& because) {
    return TargetRefused(file_error::kDomain, file_error::kFileWriteUnknown,
                         "The file \u201C" + path.filename().string() + "\u201D couldn\u2019t be saved because " +
                             because + ". Nothing was written.");
}

// Says what is at `at`, the place the write of `path` led to: the path itself, or the end of its links.
std::string whatIsThere(const fs::path& path, const fs::path& at, const std::string& kind) {
    if (at == path) return "it is " + kind + ", not a regular file";
    return "its link leads to " + at.string() + ", which is " + kind + ", not a regular file";
}

// What took the target's place since it was looked at.
TargetRefused refusalOfNewcomer(const fs::path& path, const WriteTarget& target, mode_t mode) {
    if (S_ISLNK(mode)) return refusal(path, "a symbolic link took its place while it was being saved");
    return refusal(path, whatIsThere(path, target.file, kindOfItem(mode)));
}

// Whether the folder is the kernel's view of processes, where every link stands for something a
// process has open.
bool showsProcesses(int folder) {
    struct statfs system {};
    return ::fstatfs(folder, &system) == 0 && system.f_type == PROC_SUPER_MAGIC;
}

std::optional<fs::path> linkText(int folder, const std::string& name) {
    std::string text(256, '\0');
    while (true) {
        const ssize_t length = ::readlinkat(folder, name.c_str(), text.data(), text.size());
        if (length < 0) return std::nullopt;
        if (static_cast<std::size_t>(length) < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            return fs::path(text);
        }
        text.resize(text.size() * 2);
    }
}

// The file system cannot swap two names or refuse to replace (renameat2's flags).
bool cannotSwap(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }

}  // namespace

Folder::~Folder() {
    if (fd_ >= 0) ::close(fd_);
}

Folder::Folder(Folder&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

Folder openFolder(int at, const fs::path& path) {
    return Folder(::openat(at, path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

SystemError posixError(long fallbackCode, const fs::path& path) {
    long code = errno == ENOENT ? file_error::kFileNoSuchFile
                : errno == ENOSPC ? file_error::kFileWriteOutOfSpace
                                  : fallbackCode;
    return file_error::make(code, path.filename().string());
}

WriteTarget resolveWriteTarget(const fs::path& path) {
    fs::path shown = path;  // the chain's current place, as spelled from the path
    fs::path step = path;   // the same place, relative to the folder of the link last followed
    Folder linkFolder;      // none yet: the path is taken from the working folder
    for (int followed = 0;; ++followed) {
        const int base = linkFolder.fd() >= 0 ? linkFolder.fd() : AT_FDCWD;
        const std::string name = step.filename().string();
        if (name.empty() || name == "." || name == "..") {
            // Names a folder, or nothing at all.
            struct stat info {};
            if (::fstatat(base, step.c_str(), &info, 0) != 0) throw posixError(file_error::kFileWriteUnknown, path);
            throw refusal(path, whatIsThere(path, shown, kindOfItem(info.st_mode)));
        }
        Folder folder = openFolder(base, step.parent_path());
        if (folder.fd() < 0) throw posixError(file_error::kFileWriteUnknown, path);
        struct stat info {};
        if (::fstatat(folder.fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) return {std::move(folder), name, shown, std::nullopt};
            throw posixError(file_error::kFileWriteUnknown, path);
        }
        if (S_ISREG(info.st_mode)) return {std::move(folder), name, shown, info.st_mode};
        if (!S_ISLNK(info.st_mode)) throw refusal(path, whatIsThere(path, shown, kindOfItem(info.st_mode)));
        if (showsProcesses(folder.fd())) throw refusal(path, whatIsThere(path, shown, kOpenByAProcess));
        if (followed == kMostLinksFollowed)
            throw refusal(path, "its symbolic links loop or chain more than " + std::to_string(kMostLinksFollowed) +
                                    " deep");
        const std::optional<fs::path> target = linkText(folder.fd(), name);
        if (!target) continue;  // replaced meanwhile: look at the same place again
        shown = target->is_absolute() ? *target : shown.parent_path() / *target;
        step = *target;
        linkFolder = std::move(folder);
    }
}

void confirmStillReplaceable(const WriteTarget& target, const fs::path& path) {
    struct stat info {};
    if (::fstatat(target.folder.fd(), target.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return;  // gone meanwhile: the write makes it anew
        throw posixError(file_error::kFileWriteUnknown, path);
    }
    if (!S_ISREG(info.st_mode)) throw refusalOfNewcomer(path, target, info.st_mode);
}

void renameOver(const WriteTarget& target, const std::string& temporary, const fs::path& path) {
    const int folder = target.folder.fd();
    const char* from = temporary.c_str();
    const char* to = target.name.c_str();
    // A name that comes and goes under the write gets a few tries, then the write fails.
    bool canSwap = true;
    for (int attempt = 0; attempt < 3 && canSwap; ++attempt) {
        if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) return;
        if (cannotSwap(errno)) {
            canSwap = false;
        } else if (errno != EEXIST) {
            throw posixError(file_error::kFileWriteUnknown, path);
        } else if (::renameat2(folder, from, folder, to, RENAME_EXCHANGE) == 0) {
            struct stat replaced {};
            // Gone already: another run's sweep took the replaced file for a leftover.
            if (::fstatat(folder, from, &replaced, AT_SYMLINK_NOFOLLOW) != 0) return;
            if (S_ISREG(replaced.st_mode)) {
                ::unlinkat(folder, from, 0);
                return;
            }
            // No file to replace: it goes back to its name, untouched.
            ::renameat2(folder, from, folder, to, RENAME_EXCHANGE);
            throw refusalOfNewcomer(path, target, replaced.st_mode);
        } else if (cannotSwap(errno)) {
            canSwap = false;
        } else if (errno != ENOENT) {  // ENOENT: gone meanwhile, so the next try places it anew
            throw posixError(file_error::kFileWriteUnknown, path);
        }
    }
    if (canSwap) {
        errno = EBUSY;
        throw posixError(file_error::kFileWriteUnknown, path);
    }
    // Without the swap the check just made stands for what the rename replaces.
    if (::renameat(folder, from, folder, to) != 0) throw posixError(file_error::kFileWriteUnknown, path);
}

}  // namespace tarnwick::files::detail
