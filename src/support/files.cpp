#include "support/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>
#include <utility>

#include "support/digest.h"
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

constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kUUIDLength = 36;
// The longest name a folder entry may have on the file systems the program writes to.
constexpr std::size_t kLongestName = 255;
// `.<stem>.<UUID>.tmp`: what a temporary's name adds to its stem.
constexpr std::size_t kTemporaryOverhead = 2 + kUUIDLength + kTemporarySuffix.size();
constexpr std::size_t kLongestStem = kLongestName - kTemporaryOverhead;

// The coarse clock is the one the kernel stamps file times from: on a file system with fine
// stamps no file this process makes is stamped before this moment, however soon after it the
// file is made.
timespec coarseNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}
const timespec processStart = coarseNow();

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

// `.<stem>.<UUID>.tmp`: where a write of the file puts its bytes before the rename.
std::string temporaryName(const std::string& name) {
    return "." + temporaryStem(name) + "." + uuid::random() + std::string(kTemporarySuffix);
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

std::string kindOfItem(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "an item of a special kind";
}

TargetRefused refusal(const fs::path& path, const std::string& because) {
    return TargetRefused(file_error::kDomain, file_error::kFileWriteUnknown,
                         "The file \u201C" + path.filename().string() + "\u201D couldn\u2019t be saved because " +
                             because + ". Nothing was written.");
}

// The file a write of `path` replaces, and its mode when it is there.
struct ReplacedFile {
    fs::path file;
    std::optional<mode_t> mode;  // none for a new file, or where the links lead to nothing yet
};

// The file a write of `path` replaces: the path itself, or the end of the chain of symbolic links
// that starts there (a link's relative target read from the link's folder). Throws TargetRefused
// when that end exists and is no regular file, or the chain is longer than the kernel would follow.
ReplacedFile fileToReplace(const fs::path& path) {
    fs::path at = path;
    struct stat info {};
    for (int followed = 0;; ++followed) {
        // Nothing there yet, or the write's own open will say why.
        if (::lstat(at.c_str(), &info) != 0) return {at, std::nullopt};
        if (!S_ISLNK(info.st_mode)) break;
        if (followed == kMostLinksFollowed)
            throw refusal(path, "its symbolic links loop or chain more than " + std::to_string(kMostLinksFollowed) +
                                    " deep");
        std::error_code error;
        const fs::path target = fs::read_symlink(at, error);
        if (error) return {at, std::nullopt};  // replaced meanwhile: the write goes on at the link's place
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    if (S_ISREG(info.st_mode)) return {at, info.st_mode};
    const std::string kind = kindOfItem(info.st_mode);
    if (at == path) throw refusal(path, "it is " + kind + ", not a regular file");
    throw refusal(path, "its link leads to " + at.string() + ", which is " + kind + ", not a regular file");
}

std::mutex hooksMutex;
WriteHooks installedHooks;

WriteHooks currentHooks() {
    std::lock_guard lock(hooksMutex);
    return installedHooks;
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
    void removeUnlessOurs(int folderFD, const char* entry) {
        std::lock_guard lock(mutex_);
        if (!names_.count(entry)) ::unlinkat(folderFD, entry, 0);
    }

private:
    std::mutex mutex_;
    std::set<std::string> names_;
};

// Holds a temporary's name in the registry from before its file exists until the write is done
// with it (renamed or removed).
class InFlightTemporary {
public:
    explicit InFlightTemporary(std::string name) : name_(std::move(name)) { InFlightTemporaries::shared().add(name_); }
    ~InFlightTemporary() { InFlightTemporaries::shared().remove(name_); }
    InFlightTemporary(const InFlightTemporary&) = delete;
    InFlightTemporary& operator=(const InFlightTemporary&) = delete;

private:
    std::string name_;
};

// A write killed between making its temporary file and the rename leaves the temporary behind.
// Removes those of this file: regular files by that name stamped before this process started
// that no write of this process holds. Once per file and run: whatever is left later comes from
// this run, and the next run removes it. Failures change nothing.
void removeLeftoverTemporaries(const fs::path& path, const WriteHooks& hooks) {
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    {
        std::lock_guard lock(mutex);
        if (!cleaned.insert(path.string()).second) return;
    }
    const std::string name = path.filename().string();
    if (name.empty()) return;
    if (hooks.sweepBegins) hooks.sweepBegins(path);
    const fs::path parent = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    DIR* folder = ::opendir(parent.c_str());
    if (!folder) return;
    const int folderFD = ::dirfd(folder);
    const std::string stem = temporaryStem(name);
    while (const dirent* entry = ::readdir(folder)) {
        if (!isTemporaryOf(entry->d_name, name, stem)) continue;
        struct stat info {};
        if (::fstatat(folderFD, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(info.st_mode) && isBefore(info.st_mtim, processStart))
            InFlightTemporaries::shared().removeUnlessOurs(folderFD, entry->d_name);
    }
    ::closedir(folder);
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
    const WriteHooks hooks = currentHooks();
    const auto [file, replacedMode] = fileToReplace(path);
    removeLeftoverTemporaries(file, hooks);
    const std::string temporaryFile = temporaryName(file.filename().string());
    const fs::path temporary = file.parent_path() / temporaryFile;
    const InFlightTemporary inFlight(temporaryFile);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) throw posixError(file_error::kFileWriteUnknown, path);
    if (hooks.temporaryMade) hooks.temporaryMade(temporary);
    // The replacement keeps the permissions of the file it replaces: a file its owner made
    // private stays private.
    if (replacedMode) ::fchmod(fd, *replacedMode & 07777);
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(temporary.c_str(), file.c_str()) != 0) {
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

WriteHooksScope::WriteHooksScope(WriteHooks hooks) {
    std::lock_guard lock(hooksMutex);
    installedHooks = std::move(hooks);
}

WriteHooksScope::~WriteHooksScope() {
    std::lock_guard lock(hooksMutex);
    installedHooks = {};
}

}  // namespace tarnwick::files
