#include "support/write_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>
#include <utility>

#include "support/digest.h"
#include "support/file_target.h"
#include "support/uuid.h"

namespace tarnwick::files::detail {

namespace {

constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kUUIDLength = 36;
// The longest name a folder entry may have on the file systems the program writes to.
constexpr std::size_t kLongestName = 255;
// `.<stem>.<UUID>.tmp`: what a temporary's name adds to its stem.
constexpr std::size_t kTemporaryOverhead = 2 + kUUIDLength + kTemporarySuffix.size();
constexpr std::size_t kLongestStem = kLongestName - kTemporaryOverhead;
// A temporary lost to another run's sweep before the write could lock it, or a name already taken,
// is made anew this often.
constexpr int kTemporaryTries = 3;

// Read once, as the program's statics are made: the run's start, for the sweep.
const timespec runStart = stampNow();

bool isBefore(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// What a temporary's name holds of its file's name: the name itself while the temporary's name
// stays within the longest legal name; else the name's start, cut between characters, and "~"
// with a digest of the whole name, so files whose long names start alike keep apart. The digest
// is the same in every run, so a later run knows the temporaries.
std::string temporaryStem(std::string_view name) {
    if (name.size() <= kLongestStem) return std::string(name);
    std::size_t kept = kLongestStem - 1 - digest::kFnv1aHexLength;
    while (kept > 0 && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80) --kept;
    return std::string(name.substr(0, kept)) + "~" + digest::fnv1aHex(name);
}

bool hasTemporaryForm(std::string_view entry, std::string_view stem) {
    if (entry.size() != stem.size() + kTemporaryOverhead) return false;
    if (entry[0] != '.' || entry.substr(1, stem.size()) != stem || entry[1 + stem.size()] != '.') return false;
    if (entry.substr(entry.size() - kTemporarySuffix.size()) != kTemporarySuffix) return false;
    const std::string_view id = entry.substr(2 + stem.size(), kUUIDLength);
    return uuid::canonical(id) == id;
}

// A temporary of the file under either form its writes have used: the whole name (all that
// earlier versions wrote), or the bounded stem (`stem`, the name's temporaryStem).
bool isTemporaryOf(std::string_view entry, std::string_view name, std::string_view stem) {
    return hasTemporaryForm(entry, name) || (stem != name && hasTemporaryForm(entry, stem));
}

// The names of the temporaries this process's writes have made or are about to make. A name holds
// a fresh UUID, so the name alone tells ours apart, however the folder's path is spelled. Stamps
// cannot: a file system with whole-second times (FAT: two seconds) stamps a temporary made in the
// run's first moments before the run started.
class InFlightTemporaries {
public:
    // Never destroyed: a worker thread may still finish a write while the program's statics go.
    static InFlightTemporaries& shared() {
        static InFlightTemporaries* const registry = new InFlightTemporaries;
        return *registry;
    }
    void add(const std::string& name) {
        std::lock_guard lock(mutex_);
        names_.insert(name);
    }
    void remove(const std::string& name) {
        std::lock_guard lock(mutex_);
        names_.erase(name);
    }
    // Removes the folder's entry unless it is a temporary of ours. A write holds its name from
    // before its file exists until the file is renamed or removed, so an entry whose name is not
    // held is no file a write of ours still needs.
    void removeUnlessOurs(int folder, const char* entry) {
        std::lock_guard lock(mutex_);
        if (!names_.count(entry)) ::unlinkat(folder, entry, 0);
    }

private:
    std::mutex mutex_;
    std::set<std::string> names_;
};

// Locks the new temporary against sweeps and confirms it still has its name: a sweep of another
// run may have taken it between its making and the lock. Where the file system keeps no locks,
// the temporary's stamp, later than any other run's start, keeps it from their sweeps.
bool lockAgainstSweeps(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return false;  // a sweep is removing it
    struct stat own {};
    return ::fstat(fd, &own) == 0 && own.st_nlink > 0;
}

// Removes a leftover unless a write holds it: a write in flight keeps its temporary locked, and a
// killed write's lock went with its process.
void removeUnlessHeld(int folder, const char* entry, ino_t inode) {
    const int fd = ::openat(folder, entry, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_ino == inode && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        InFlightTemporaries::shared().removeUnlessOurs(folder, entry);
    ::close(fd);
}

}  // namespace

std::string temporaryName(std::string_view fileName) {
    return "." + temporaryStem(fileName) + "." + uuid::random() + std::string(kTemporarySuffix);
}

InFlightTemporary::InFlightTemporary(std::string name) : name_(std::move(name)) {
    InFlightTemporaries::shared().add(name_);
}

InFlightTemporary::~InFlightTemporary() { InFlightTemporaries::shared().remove(name_); }

HeldTemporary::HeldTemporary(int folder, std::string_view fileName, const std::filesystem::path& path)
    : folder_(folder) {
    int lastError = EBUSY;
    for (int attempt = 0; attempt < kTemporaryTries; ++attempt) {
        name_ = temporaryName(fileName);
        registration_.emplace(name_);
        fd_ = injectedFailure(WriteStep::makeTemporary)
                  ? -1
                  : ::openat(folder_, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        // A name already taken (a process forked from this one draws the same names) is passed over.
        if (fd_ < 0 && errno == EEXIST) {
            lastError = EEXIST;
            continue;
        }
        if (fd_ < 0) throw posixError(file_error::kFileWriteUnknown, path);
        struct stat own {};
        if (injectedFailure(WriteStep::inspectTemporary) || ::fstat(fd_, &own) != 0) {
            // Made a moment ago under a fresh name, so the entry is ours even unseen: it goes now,
            // not with the next run's sweep.
            const int error = errno;
            ::unlinkat(folder_, name_.c_str(), 0);
            ::close(fd_);
            fd_ = -1;
            errno = error;
            throw posixError(file_error::kFileWriteUnknown, path);
        }
        inode_ = own.st_ino;
        if (lockAgainstSweeps(fd_)) return;
        removeIfStillOurs();
        ::close(fd_);
        fd_ = -1;
        lastError = EBUSY;
    }
    errno = lastError;
    throw posixError(file_error::kFileWriteUnknown, path);
}

HeldTemporary::~HeldTemporary() {
    if (fd_ < 0) return;
    if (!renamed_) removeIfStillOurs();
    ::close(fd_);
}

// Only our own file goes: a write refused in its last step may have put back at this name what it
// found at the file's.
void HeldTemporary::removeIfStillOurs() const {
    struct stat info {};
    if (::fstatat(folder_, name_.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && info.st_ino == inode_)
        ::unlinkat(folder_, name_.c_str(), 0);
}

timespec stampNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

void removeLeftoversStampedBefore(int folder, const std::string& fileName, const timespec& start) {
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return;
    DIR* entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return;
    }
    const std::string stem = temporaryStem(fileName);
    while (const dirent* entry = ::readdir(entries)) {
        if (!isTemporaryOf(entry->d_name, fileName, stem)) continue;
        struct stat info {};
        if (::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(info.st_mode) && isBefore(info.st_mtim, start)) removeUnlessHeld(folder, entry->d_name, info.st_ino);
    }
    ::closedir(entries);
}

void removeLeftoverTemporaries(const WriteTarget& target, const WriteHooks& hooks) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        std::lock_guard lock(mutex);
        if (!swept.insert(target.file.string()).second) return;
    }
    if (hooks.sweepBegins) hooks.sweepBegins(target.file);
    removeLeftoversStampedBefore(target.folder.fd(), target.name, runStart);
}

}  // namespace tarnwick::files::detail
