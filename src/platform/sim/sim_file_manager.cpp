#include "platform/sim/sim_file_manager.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sim/simulated_session.h"
#include "support/error.h"
#include "support/files.h"

namespace tarnwick::sim {

namespace fs = std::filesystem;

namespace {

// Error codes of the platform's file error domain beyond those support/error.h names.
constexpr long kFileReadNoPermission = 257;
constexpr long kFileReadNoSuchFile = 260;
constexpr long kFileWriteNoPermission = 513;
constexpr long kFileWriteFileExists = 516;
constexpr long kFileWriteVolumeReadOnly = 642;

std::string quoted(const fs::path& path) {
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return "\u201C" + fs::path(text).filename().string() + "\u201D";
}

// The file manager's sentence for a failed operation on `path` ("moved", "copied", ...).
SystemError operationError(const char* done, const fs::path& path, int error) {
    const std::string name = quoted(path);
    switch (error) {
    case ENOENT:
        return SystemError(file_error::kDomain, file_error::kFileNoSuchFile,
                           "The file " + name + " doesn\u2019t exist.");
    case EEXIST:
    case ENOTEMPTY:
        return SystemError(file_error::kDomain, kFileWriteFileExists,
                           name + " couldn\u2019t be " + done + " because an item with the same name already exists.");
    case EACCES:
    case EPERM:
        return SystemError(
            file_error::kDomain, kFileWriteNoPermission,
            name + " couldn\u2019t be " + done + " because you don\u2019t have permission to access it.");
    case EROFS:
        return SystemError(file_error::kDomain, kFileWriteVolumeReadOnly, "The volume for " + name + " is read only.");
    case ENOSPC:
        return SystemError(file_error::kDomain, file_error::kFileWriteOutOfSpace,
                           name + " couldn\u2019t be " + done + " because there isn\u2019t enough space.");
    default:
        return SystemError(file_error::kDomain, file_error::kFileWriteUnknown,
                           name + " couldn\u2019t be " + done + ".");
    }
}

bool writeAll(int fd, const char* data, size_t size) {
    size_t written = 0;
    while (written < size) {
        ssize_t n = ::write(fd, data + written, size - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

// Copies one regular file into a new file; returns 0 or the error number.
int copyFile(const fs::path& from, const fs::path& to, mode_t mode) {
    int in = files::openRegular(from, O_RDONLY | O_NOFOLLOW);
    if (in < 0) return errno;
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0) {
        int error = errno;
        ::close(in);
        return error;
    }
    int error = 0;
    char buffer[65536];
    while (true) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        if (n == 0) break;
        if (!writeAll(out, buffer, static_cast<size_t>(n))) {
            error = errno;
            break;
        }
    }
    if (!error && ::fchmod(out, mode & 07777) != 0) error = errno;
    if (::close(out) != 0 && !error) error = errno;
    ::close(in);
    return error;
}

// Copies an item and what it holds; links are copied as links, never followed. Returns 0 or the
// error number of the first failure (what was copied so far stays).
int copyTree(const fs::path& from, const fs::path& to) {
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0) return errno;
    if (S_ISLNK(info.st_mode)) {
        std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        ssize_t length = ::readlink(from.c_str(), target.data(), target.size());
        if (length < 0) return errno;
        target.resize(static_cast<size_t>(length));
        return ::symlink(target.c_str(), to.c_str()) == 0 ? 0 : errno;
    }
    if (S_ISREG(info.st_mode)) return copyFile(from, to, info.st_mode);
    if (!S_ISDIR(info.st_mode)) return ENOTSUP;
    if (::mkdir(to.c_str(), 0700) != 0) return errno;
    std::error_code listing;
    for (fs::directory_iterator it(from, listing), end; !listing && it != end; it.increment(listing)) {
        if (int error = copyTree(it->path(), to / it->path().filename())) return error;
    }
    if (listing) return listing.value();
    return ::chmod(to.c_str(), info.st_mode & 07777) == 0 ? 0 : errno;
}

fs::path resolved(const fs::path& path) {
    std::error_code error;
    auto canonical = fs::canonical(path, error);
    return error ? path.lexically_normal() : canonical;
}

bool isWithin(const fs::path& path, const fs::path& folder) {
    const std::string p = path.string(), f = folder.string();
    if (p == f) return true;
    if (f == "/") return !p.empty() && p.front() == '/';
    return p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '/';
}

}  // namespace

std::vector<fs::path> SimFileManager::applicationsDirectories(unsigned domains) {
    std::vector<fs::path> folders;
    if (domains & platform::search_domain::kUser) folders.push_back(session_.system().home / "Applications");
    if (domains & platform::search_domain::kLocal) folders.push_back(session_.fileSystem.root / "Applications");
    return folders;
}

platform::ItemAttributes SimFileManager::attributesOfItem(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            throw SystemError(file_error::kDomain, kFileReadNoSuchFile,
                              "The file " + quoted(path) + " couldn\u2019t be opened because there is no such file.");
        throw SystemError(file_error::kDomain, file_error::kFileReadUnknown,
                          "The file " + quoted(path) + " couldn\u2019t be opened.");
    }
    platform::ItemAttributes attributes;
    attributes.type = S_ISDIR(info.st_mode)   ? platform::FileType::directory
                      : S_ISREG(info.st_mode) ? platform::FileType::regular
                      : S_ISLNK(info.st_mode) ? platform::FileType::symbolicLink
                                              : platform::FileType::other;
    attributes.systemNumber = static_cast<std::uint64_t>(info.st_dev);
    attributes.systemFileNumber = static_cast<std::uint64_t>(info.st_ino);
    return attributes;
}

bool SimFileManager::isWritableFile(const fs::path& path) {
    const auto normal = path.lexically_normal();
    for (const auto& folder : session_.fileSystem.unwritableFolders)
        if (folder.lexically_normal() == normal || resolved(folder) == resolved(path)) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

void SimFileManager::createDirectory(const fs::path& path, bool withIntermediates,
                                     std::optional<unsigned> permissions) {
    if (withIntermediates) {
        std::error_code error;
        fs::create_directories(path, error);
        if (error) throw operationError("created", path, error.value());
        // An existing folder, also one reached through a link (an Applications folder that is a
        // link elsewhere), is what was asked for; anything else is in the way.
        if (!fs::is_directory(fs::status(path, error))) throw operationError("created", path, EEXIST);
    } else if (::mkdir(path.c_str(), 0700) != 0) {
        throw operationError("created", path, errno);
    }
    if (permissions && ::chmod(path.c_str(), static_cast<mode_t>(*permissions)) != 0)
        throw operationError("created", path, errno);
}

void SimFileManager::copyItem(const fs::path& from, const fs::path& to) {
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0) throw operationError("copied", from, errno);
    if (::lstat(to.c_str(), &info) == 0) throw operationError("copied", from, EEXIST);
    if (int error = copyTree(from, to)) throw operationError("copied", from, error);
}

void SimFileManager::moveItem(const fs::path& from, const fs::path& to) {
    // The rename itself refuses to replace, so nothing that appears at `to` meanwhile is lost.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0)
        throw operationError("moved", from, errno);
}

void SimFileManager::exchangeItems(const fs::path& first, const fs::path& second) {
    if (::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) != 0)
        throw operationError("moved", first, errno);
}

void SimFileManager::createFile(const fs::path& path, const std::string& contents) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) throw operationError("saved", path, errno);
    int error = writeAll(fd, contents.data(), contents.size()) ? 0 : errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (error) {
        // A file cut short is worse than none.
        ::unlink(path.c_str());
        throw operationError("saved", path, error);
    }
}

std::vector<std::string> SimFileManager::contentsOfDirectory(const fs::path& path) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    if (!error) return names;
    const std::string name = quoted(path);
    switch (error.value()) {
    case ENOENT:
    case ENOTDIR:
        throw SystemError(file_error::kDomain, kFileReadNoSuchFile, "The folder " + name + " doesn\u2019t exist.");
    case EACCES:
    case EPERM:
        throw SystemError(file_error::kDomain, kFileReadNoPermission,
                          "The folder " + name +
                              " couldn\u2019t be opened because you don\u2019t have permission to see its contents.");
    default:
        throw SystemError(file_error::kDomain, file_error::kFileReadUnknown,
                          "The folder " + name + " couldn\u2019t be opened.");
    }
}

void SimFileManager::removeItem(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) throw operationError("removed", path, errno);
    std::error_code error;
    fs::remove_all(path, error);
    if (error) throw operationError("removed", path, error.value());
}

bool SimFileManager::removeEmptyDirectory(const fs::path& path) { return ::rmdir(path.c_str()) == 0; }

std::optional<platform::VolumeResourceValues> SimFileManager::volumeResourceValues(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
    const fs::path location = resolved(path);
    const SimDiskImage* best = nullptr;
    fs::path bestMount;
    for (const auto& image : session_.diskImageTool.images) {
        if (!image.attached) continue;
        const fs::path mount = resolved(image.mountPoint);
        if (isWithin(location, mount) && mount.string().size() > bestMount.string().size()) {
            best = &image;
            bestMount = mount;
        }
    }
    platform::VolumeResourceValues values;
    if (best) {
        values.volumeURL = bestMount;
        values.isReadOnly = !best->writeable;
        values.volumeUUIDString = best->volumeUUID;
    } else {
        values.volumeURL = fs::path("/");
        values.isReadOnly = false;
        values.volumeUUIDString = session_.fileSystem.rootVolumeUUID;
    }
    return values;
}

}  // namespace tarnwick::sim
