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
    if (S_ISLNK(mode)) return "a symbolic link";
    return "an item of a special kind";
}

// What a link in /proc/<pid>/fd (or /proc/<pid>/cwd, /exe, ...) is: no file with a place in a
// folder, but whatever the process holds there, a terminal, a pipe, or a file that someone else
// is reading from or writing to.
constexpr const char* kOpenByAProcess = "a process\u2019s link to something it has open";

// A refusal whose sentence is said whole: "The file “<name>” couldn’t be saved because <sentence>".
TargetRefused refusalSaying(const fs::path& path, const std::string& because) {
    return TargetRefused(file_error::kDomain, file_error::kFileWriteUnknown,
                         "The file \u201C" + path.filename().string() + "\u201D couldn\u2019t be saved because " +
                             because);
}

TargetRefused refusal(const fs::path& path, const std::string& because) {
    return refusalSaying(path, because + ". Nothing was written.");
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

bool sameItem(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether the folder's entry `name` is the item `item`.
bool holds(int folder, const std::string& name, const struct stat& item) {
    struct stat now {};
    return ::fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && sameItem(now, item);
}

// Renames within the folder with renameat2's flags, or plainly with none.
int renameStep(WriteStep step, int folder, const std::string& from, const std::string& to, unsigned flags) {
    if (injectedFailure(step)) return -1;
    if (flags == 0) return ::renameat(folder, from.c_str(), folder, to.c_str());
    return ::renameat2(folder, from.c_str(), folder, to.c_str(), flags);
}

// "a FIFO (named pipe)" as "the FIFO (named pipe)".
std::string theKindOfItem(mode_t mode) {
    const std::string kind = kindOfItem(mode);
    return "the " + kind.substr(kind.find(' ') + 1);
}

// The swap back went wrong. Where the document written still holds the name and what was found
// there the temporary's, no other program acted: only the swap back failed, and the sentence says
// where each is. Otherwise other programs changed the name while it went on: a regular file of
// theirs left under the temporary's name is moved to a name no sweep takes, and the sentence says
// where the write left what it had moved aside.
TargetRefused refusalUnsettled(const WriteTarget& target, const std::string& temporary, const struct stat& ours,
                               const struct stat& found, const fs::path& path) {
    const int folder = target.folder.fd();
    const std::string there = whatIsThere(path, target.file, kindOfItem(found.st_mode));
    if (holds(folder, target.name, ours) && holds(folder, temporary, found))
        // Written after all, so not "couldn't be saved": the answer says what happened instead.
        return TargetRefused(file_error::kDomain, file_error::kFileWriteUnknown,
                             "The file \u201C" + path.filename().string() +
                                 "\u201D was written where it should not have been: " + there +
                                 ", and the write swapped that out of the way to look at it and could not swap it "
                                 "back; the document written is now at its name and " +
                                 theKindOfItem(found.st_mode) + " is at " +
                                 (target.file.parent_path() / temporary).string() + ".");
    const std::string why = there + ", and other programs changed what is at its name while it was being saved";
    struct stat aside {};
    if (::fstatat(folder, temporary.c_str(), &aside, AT_SYMLINK_NOFOLLOW) != 0 || sameItem(aside, ours))
        return refusal(path, why);
    std::string place = temporary;
    if (S_ISREG(aside.st_mode)) {
        const std::string kept = temporary + ".kept";
        if (::renameat2(folder, temporary.c_str(), folder, kept.c_str(), RENAME_NOREPLACE) == 0) place = kept;
    }
    return refusalSaying(path, why + "; what the write moved aside from its name is at " +
                                   (target.file.parent_path() / place).string() + ".");
}

// The exchange found `found`, no regular file, at the file's name, and put the write's temporary
// there: both go back. Throws the refusal.
[[noreturn]] void putBack(const WriteTarget& target, const std::string& temporary, const struct stat& ours,
                          const struct stat& found, const fs::path& path) {
    const int folder = target.folder.fd();
    if (renameStep(WriteStep::exchange, folder, temporary, target.name, RENAME_EXCHANGE) == 0) {
        if (holds(folder, temporary, ours)) throw refusalOfNewcomer(path, target, found.st_mode);
        // Another program put its own item at the name while the temporary held it, and the swap
        // moved that item under the temporary's name: it goes back to its name, and what was
        // found there first takes the temporary's, where no sweep takes what is no regular file.
        if (renameStep(WriteStep::exchange, folder, temporary, target.name, RENAME_EXCHANGE) == 0 &&
            holds(folder, temporary, found))
            throw refusal(path, whatIsThere(path, target.file, kindOfItem(found.st_mode)) +
                                    "; another program then saved its own file under that name, and " +
                                    theKindOfItem(found.st_mode) + " is now at " +
                                    (target.file.parent_path() / temporary).string());
    } else if (errno == ENOENT && holds(folder, temporary, found) &&
               renameStep(WriteStep::placeWithoutReplacing, folder, temporary, target.name, RENAME_NOREPLACE) == 0) {
        // The name was emptied meanwhile: what was found there takes it again.
        throw refusalOfNewcomer(path, target, found.st_mode);
    }
    throw refusalUnsettled(target, temporary, ours, found, path);
}

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
    if (injectedFailure(WriteStep::openFolder)) return Folder();
    return Folder(::openat(at, path.empty() ? "." : path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

SystemError posixError(long fallbackCode, const fs::path& path) {
    const int error = errno;
    const long code = error == ENOENT ? file_error::kFileNoSuchFile
                      : error == ENOSPC ? file_error::kFileWriteOutOfSpace
                                        : fallbackCode;
    return file_error::make(code, path.filename().string(), error);
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
    struct stat ours {};
    if (::fstatat(folder, temporary.c_str(), &ours, AT_SYMLINK_NOFOLLOW) != 0)
        throw posixError(file_error::kFileWriteUnknown, path);
    // The last look: the name was looked at before the write began, and whatever took it since is
    // no file to replace.
    confirmStillReplaceable(target, path);
    // A name that comes and goes under the write gets a few tries, then the write fails.
    bool canSwap = true;
    for (int attempt = 0; attempt < 3 && canSwap; ++attempt) {
        if (renameStep(WriteStep::placeWithoutReplacing, folder, temporary, target.name, RENAME_NOREPLACE) == 0) return;
        if (cannotSwap(errno)) {
            canSwap = false;
        } else if (errno != EEXIST) {
            throw posixError(file_error::kFileWriteUnknown, path);
        } else if (renameStep(WriteStep::exchange, folder, temporary, target.name, RENAME_EXCHANGE) == 0) {
            struct stat replaced {};
            // Gone already: another run's sweep took the replaced file for a leftover.
            if (::fstatat(folder, temporary.c_str(), &replaced, AT_SYMLINK_NOFOLLOW) != 0) return;
            if (S_ISREG(replaced.st_mode)) {
                ::unlinkat(folder, temporary.c_str(), 0);
                return;
            }
            putBack(target, temporary, ours, replaced, path);
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
    // Without the swap only a look can keep the rename from replacing what is no file: one more,
    // as close to the rename as it gets.
    confirmStillReplaceable(target, path);
    if (renameStep(WriteStep::rename, folder, temporary, target.name, 0) != 0)
        throw posixError(file_error::kFileWriteUnknown, path);
}

}  // namespace tarnwick::files::detail
