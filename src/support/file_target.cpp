#include "support/file_target.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>  // renameat2
#include <string>
#include <system_error>
#include <utility>
#include <vector>

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

// A refusal whose sentence is said whole: "The file “<name>” couldn’t be saved because <sentence>",
// where what is at the path is `because`.
TargetRefused refusalSaying(const fs::path& path, const std::string& because, const std::string& sentence) {
    return TargetRefused(file_error::kDomain, file_error::kFileWriteUnknown,
                         "The file \u201C" + path.filename().string() + "\u201D couldn\u2019t be saved because " +
                             sentence,
                         because);
}

TargetRefused refusal(const fs::path& path, const std::string& because) {
    return refusalSaying(path, because, because + ". Nothing was written.");
}

// Says what is at `at`, the place the write of `path` led to: the path itself, or the end of its
// links; or, `past`, what was there when the write came.
std::string whatIsThere(const fs::path& path, const fs::path& at, const std::string& kind, bool past = false) {
    const char* is = past ? "was" : "is";
    if (at == path) return std::string("it ") + is + " " + kind + ", not a regular file";
    return std::string("its link ") + (past ? "led" : "leads") + " to " + at.string() + ", which " + is + " " + kind +
           ", not a regular file";
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

// Renames within the folder with renameat2's flags, or plainly with none.
int renameStep(WriteStep step, int folder, const std::string& from, const std::string& to, unsigned flags) {
    if (injectedFailure(step)) return -1;
    if (flags == 0) return ::renameat(folder, from.c_str(), folder, to.c_str());
    return ::renameat2(folder, from.c_str(), folder, to.c_str(), flags);
}

// "a FIFO (named pipe)" as "FIFO (named pipe)".
std::string kindWithoutArticle(mode_t mode) {
    const std::string kind = kindOfItem(mode);
    return kind.substr(kind.find(' ') + 1);
}

// "A, B and C".
std::string listed(const std::vector<std::string>& parts) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += i + 1 == parts.size() ? " and " : ", ";
        text += parts[i];
    }
    return text;
}

// Where the folder the write works in is now, as an absolute path: the kernel's own record of
// the folder held open, should it have been moved meanwhile; the path it was reached by when the
// kernel says it is gone.
fs::path whereTheFolderIs(const WriteTarget& target) {
    const fs::path held = "/proc/self/fd/" + std::to_string(target.folder.fd());
    std::error_code error;
    const fs::path now = fs::read_symlink(held, error);
    if (!error && now.is_absolute() && !now.native().ends_with(" (deleted)")) return now;
    return fs::absolute(target.file.parent_path(), error);
}

// The two names a refused exchange works on, the file's and the temporary's: what the write
// knows is at each (its own document, the item it found at the file's name, another program's
// item, or nothing), and at which of them other programs changed something. Each step is checked
// against what it should have left, so that a change is put down to the name it was made at
// even when a swap moved it to the other name afterwards.
class SwapBack {
public:
    SwapBack(const WriteTarget& target, const std::string& temporary, const struct stat& ours, const struct stat& found)
        : target_(target), temporary_(temporary), ours_(ours), found_(found),
          atName_{Item::ours, ours.st_mode, ours.st_dev, ours.st_ino},
          atTemporary_{Item::found, found.st_mode, found.st_dev, found.st_ino} {}

    // Swaps the two names back; true when the swap was made.
    bool exchange() {
        const Seen name = atName_, temporary = atTemporary_;
        const bool swapped =
            renameStep(WriteStep::exchange, folder(), temporary_, target_.name, RENAME_EXCHANGE) == 0;
        // Once swapped, what differs at either name was changed at the other before the swap.
        if (swapped)
            lookAgain(temporary, name, Name::temporary, Name::file);
        else
            lookAgain(name, temporary, Name::file, Name::temporary);
        return swapped;
    }

    // The swap back moved another program's item from the file's name to the temporary's: it
    // goes back to its name, and what the write found there to the temporary's.
    bool movedTheirsAway() const { return atTemporary_.item == Item::theirs && changedAtName_; }

    // The file's name was emptied meanwhile: what the write found there takes it again.
    void placeFoundBack() {
        if (atName_.item != Item::nothing || atTemporary_.item != Item::found) return;
        const Seen name = atName_, temporary = atTemporary_;
        const bool placed = renameStep(WriteStep::placeWithoutReplacing, folder(), temporary_, target_.name,
                                       RENAME_NOREPLACE) == 0;
        // Once placed, what differs at the file's name was changed at the temporary's before.
        if (placed)
            lookAgain(temporary, Seen{}, Name::temporary, Name::temporary);
        else
            lookAgain(name, temporary, Name::file, Name::temporary);
    }

    // A regular file of another program's left under the temporary's name goes where no sweep
    // takes it for a leftover.
    void keepTheirsAway() {
        if (atTemporary_.item != Item::theirs || !S_ISREG(atTemporary_.mode)) return;
        const std::string kept = temporary_ + ".kept";
        if (::renameat2(folder(), temporary_.c_str(), folder(), kept.c_str(), RENAME_NOREPLACE) != 0) return;
        keptTheirs_ = true;
        atTemporary_ = look(temporary_);
    }

    // Says where everything is: the write's document, what it found at the name, and any item
    // of another program's, and where other programs changed things.
    [[noreturn]] void fail(const fs::path& path) const {
        const bool written = atName_.item == Item::ours;
        const bool foundBack = atName_.item == Item::found;
        const std::string there = whatIsThere(path, target_.file, kindOfItem(found_.st_mode), !foundBack);
        if (!written && foundBack && !changedAtName_ && !changedAtTemporary_)
            throw refusalOfNewcomer(path, target_, found_.st_mode);

        const fs::path folderNow = whereTheFolderIs(target_);
        const std::string name = (folderNow / target_.name).string();
        const std::string temporary = (folderNow / temporary_).string();
        std::vector<std::string> changed;
        if (changedAtName_) changed.push_back(name);
        if (changedAtTemporary_) changed.push_back(temporary);
        const std::string others =
            changed.empty() ? "" : ", and other programs changed what is at " + listed(changed);

        std::vector<std::string> places;
        if (written) places.push_back("the document written is now at " + name);
        const std::string found = "the " + kindWithoutArticle(found_.st_mode);
        if (foundBack)
            places.push_back(found + " is back at " + name);
        else if (atTemporary_.item == Item::found)
            places.push_back(found + " is at " + temporary);
        else
            places.push_back(found + " is gone");
        if (atName_.item == Item::theirs) places.push_back(theirs(atName_) + " is at " + name);
        if (keptTheirs_) places.push_back("another program\u2019s file is at " + temporary + ".kept");
        if (atTemporary_.item == Item::theirs) places.push_back(theirs(atTemporary_) + " is at " + temporary);

        if (written)
            throw WrittenAmiss(file_error::kDomain, file_error::kFileWriteUnknown,
                               "The file \u201C" + path.filename().string() +
                                   "\u201D was written where it should not have been: " + there +
                                   ", and the write swapped that out of the way to look at it and could not swap it "
                                   "back" + (changed.empty() ? "" : others + " meanwhile") + "; " +
                                   listed(places) + ".");
        throw refusalSaying(path, there,
                            there + (changed.empty() ? "" : others + " while it was being saved") + "; " +
                                listed(places) + ". Nothing was written.");
    }

private:
    enum class Item { nothing, ours, found, theirs };
    struct Seen {
        Item item = Item::nothing;
        mode_t mode = 0;
        dev_t device = 0;
        ino_t inode = 0;
        bool operator==(const Seen& other) const {
            return item == other.item && (item == Item::nothing || (device == other.device && inode == other.inode));
        }
    };

    int folder() const { return target_.folder.fd(); }

    Seen look(const std::string& entry) const {
        struct stat now {};
        if (::fstatat(folder(), entry.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) return {};
        const Item item = sameItem(now, ours_) ? Item::ours : sameItem(now, found_) ? Item::found : Item::theirs;
        return {item, now.st_mode, now.st_dev, now.st_ino};
    }

    enum class Name { file, temporary };

    // Looks at both names after a step that should have left `name` at the file's name and
    // `temporary` at the temporary's: what differs there, another program changed at the name
    // given for each.
    void lookAgain(const Seen& name, const Seen& temporary, Name nameChangedAt, Name temporaryChangedAt) {
        atName_ = look(target_.name);
        atTemporary_ = look(temporary_);
        if (!(atName_ == name)) changed(nameChangedAt);
        if (!(atTemporary_ == temporary)) changed(temporaryChangedAt);
    }
    void changed(Name at) { (at == Name::file ? changedAtName_ : changedAtTemporary_) = true; }

    // Another program's item, as the sentence names it.
    static std::string theirs(const Seen& seen) {
        return "another program\u2019s " + (S_ISREG(seen.mode) ? std::string("file") : kindWithoutArticle(seen.mode));
    }

    const WriteTarget& target_;
    const std::string& temporary_;
    const struct stat ours_, found_;
    Seen atName_, atTemporary_;
    bool changedAtName_ = false, changedAtTemporary_ = false;
    bool keptTheirs_ = false;
};

// The exchange found `found`, no regular file, at the file's name, and put the write's temporary
// there: both go back. Should other programs act meanwhile, an item of theirs that the swap took
// from the name goes back to it, what was found there takes the name again where it was emptied,
// and a file of theirs is never left under the temporary's name, where the next run's sweep
// would take it for a leftover. Throws the refusal, or WrittenAmiss where the document stays.
[[noreturn]] void putBack(const WriteTarget& target, const std::string& temporary, const struct stat& ours,
                          const struct stat& found, const fs::path& path) {
    SwapBack names(target, temporary, ours, found);
    if (names.exchange()) {
        if (names.movedTheirsAway()) names.exchange();
    } else {
        names.placeFoundBack();
    }
    names.keepTheirsAway();
    names.fail(path);
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
