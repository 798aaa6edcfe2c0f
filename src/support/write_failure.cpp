#include "support/write_failure.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <system_error>

#include "support/files.h"

namespace tarnwick::files {

namespace {

namespace fs = std::filesystem;

// The longest name a folder entry may have, and the longest path, on the file systems the program
// writes to.
constexpr std::size_t kLongestName = NAME_MAX;
constexpr std::size_t kLongestPath = PATH_MAX - 1;

// The file a write of `path` replaces: the end of its chain of symbolic links, as far as it leads.
fs::path endOfLinks(fs::path at) {
    for (int followed = 0; followed < kMostLinksFollowed; ++followed) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(at, error))) break;
        const fs::path target = fs::read_symlink(at, error);
        if (error) break;
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    return at;
}

// The nearest part of a folder's path that exists, walking up from a part that is missing or no
// folder; the part itself when nothing above it can be looked at.
fs::path nearestExisting(const fs::path& folder) {
    struct stat info {};
    for (fs::path at = folder.parent_path(); !at.empty(); at = at.parent_path()) {
        if (::stat(at.c_str(), &info) == 0) return at;
        if (at == at.parent_path()) break;
    }
    return folder;
}

// The first folder of the path, from its root down, that this process may not pass through.
std::optional<fs::path> firstClosedOnTheWay(const fs::path& folder) {
    fs::path at;
    for (const auto& part : folder) {
        at /= part;
        if (::faccessat(AT_FDCWD, at.c_str(), X_OK, AT_EACCESS) != 0 && errno == EACCES) return at;
    }
    return std::nullopt;
}

// The file is another user's, in a folder (such as /tmp) that lets only a file's owner, or the
// folder's, replace it.
bool anotherUsersInAStickyFolder(const struct stat& folder, const fs::path& file) {
    struct stat info {};
    if ((folder.st_mode & S_ISVTX) == 0 || ::lstat(file.c_str(), &info) != 0) return false;
    const uid_t me = ::geteuid();
    return me != 0 && info.st_uid != me && folder.st_uid != me;
}

// What the folder a file goes in shows now, or nothing when it shows no reason.
std::optional<WriteFailure> whatTheFolderShows(const fs::path& folder, const fs::path& file) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT) return WriteFailure{ENOENT, folder};
        if (error == ENOTDIR) return WriteFailure{ENOTDIR, nearestExisting(folder)};
        if (error == EACCES)
            if (auto closed = firstClosedOnTheWay(folder.parent_path()))
                return WriteFailure{EACCES, *closed, WriteFailure::Missing::passing};
        return WriteFailure{error, folder};
    }
    if (!S_ISDIR(info.st_mode)) return WriteFailure{ENOTDIR, folder};
    struct statvfs volume {};
    if (::statvfs(folder.c_str(), &volume) == 0 && (volume.f_flag & ST_RDONLY) != 0)
        return WriteFailure{EROFS, folder};
    // A temporary file is made in the folder and renamed there: both need write and search
    // rights, and nothing more (listing the folder is no part of a write).
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return WriteFailure{errno, folder};
    if (anotherUsersInAStickyFolder(info, file)) return WriteFailure{EPERM, file, WriteFailure::Missing::replacingOwn};
    return std::nullopt;
}

// Errors whose place only a look can tell: which folder is missing, or is no folder.
bool placedByTheLook(int error) { return error == ENOENT || error == ENOTDIR || error == EEXIST || error == ELOOP; }
bool deniesARight(int error) { return error == EACCES || error == EPERM; }

}  // namespace

WriteFailure whatStoppedTheWrite(const SystemError& failure, const fs::path& path) {
    const fs::path file = endOfLinks(path);
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    const int error = failure.underlyingErrno();
    if (failure.code() == file_error::kFileWriteOutOfSpace || error == ENOSPC) return {ENOSPC, folder};
    if (error == EDQUOT || error == EMFILE || error == ENFILE) return {error, folder};
    if (error == 0 || error == ENAMETOOLONG) {
        if (file.filename().native().size() > kLongestName || file.native().size() > kLongestPath)
            return {ENAMETOOLONG, file};
        if (error == ENAMETOOLONG) return {ENAMETOOLONG, file};
    }
    const auto shown = whatTheFolderShows(folder, file);
    if (error == 0) return shown.value_or(WriteFailure{0, folder});
    // The failing call's errno is the cause; the look only finds its place, and where it shows
    // another cause, the failure is told as it was rather than blamed on what the look saw.
    if (placedByTheLook(error)) return shown && placedByTheLook(shown->error) ? *shown : WriteFailure{0, folder};
    if (deniesARight(error)) {
        if (shown && deniesARight(shown->error)) return *shown;
        // A folder still to be made: the right is missing in the nearest one that is there.
        return {error, shown && shown->error == ENOENT ? nearestExisting(folder) : folder};
    }
    if (error == EROFS) {
        if (shown && shown->error == EROFS) return *shown;
        return {EROFS, shown && shown->error == ENOENT ? nearestExisting(folder) : folder};
    }
    return {error, folder};
}

std::string curlyQuoted(const std::string& text) { return "\u201C" + text + "\u201D"; }

std::optional<std::string> reasonOf(const WriteFailure& failure, const PlaceQuoting& quoted) {
    const std::string place = quoted(failure.place.string());
    switch (failure.error) {
    case ENOSPC: return "there isn\u2019t enough space";
    case ENAMETOOLONG:
        if (failure.place.filename().native().size() > kLongestName)
            return "its name is too long: a file name may have at most " + std::to_string(kLongestName) + " bytes";
        return "its path is too long: a path may have at most " + std::to_string(kLongestPath) + " bytes";
    case EROFS: return "the folder " + place + " is on a read-only disk";
    case ENOENT: return "the folder " + place + " does not exist";
    case ENOTDIR: return place + " is not a folder";
    case EDQUOT: return "your disk quota is used up";
    case EMFILE: return "the program has too many files open";
    case ENFILE: return "the system has too many files open";
    case EACCES:
    case EPERM:
        switch (failure.missing) {
        case WriteFailure::Missing::passing: return "you may not open the folder " + place;
        case WriteFailure::Missing::replacingOwn:
            return place + " belongs to another user, and its folder lets only a file\u2019s owner replace it";
        case WriteFailure::Missing::writing: break;
        }
        return "you may not write in the folder " + place;
    case ELOOP: return "the symbolic links on its path loop";
    case EISDIR: return "it is a folder";
    default: return std::nullopt;
    }
}

std::optional<std::string> reasonForReading(int error, const fs::path& path, const PlaceQuoting& quoted) {
    switch (error) {
    case EACCES:
    case EPERM:
        if (auto closed = firstClosedOnTheWay(fs::absolute(path).parent_path()))
            return "you may not open the folder " + quoted(closed->string());
        return std::string("you may not read it");
    case ELOOP: return std::string("the symbolic links on its path loop");
    case ENAMETOOLONG:
    case EMFILE:
    case ENFILE:
    case ENOTDIR: return reasonOf({error, error == ENOTDIR ? nearestExisting(path.parent_path()) : path}, quoted);
    case EIO: return std::string("the disk could not read it");
    default: return std::nullopt;
    }
}

std::optional<SystemError> withReason(const SystemError& failure, const fs::path& path) {
    // A refusal says what is there, and a document written amiss where everything is.
    if (dynamic_cast<const TargetRefused*>(&failure) || dynamic_cast<const WrittenAmiss*>(&failure) ||
        failure.code() == file_error::kFileWriteOutOfSpace)
        return std::nullopt;
    const auto reason = reasonOf(whatStoppedTheWrite(failure, path));
    if (!reason) return std::nullopt;
    return SystemError(failure.domain(), failure.code(),
                       "The file " + curlyQuoted(path.filename().string()) + " couldn\u2019t be saved because " +
                           *reason + ".",
                       failure.underlyingErrno());
}

}  // namespace tarnwick::files
