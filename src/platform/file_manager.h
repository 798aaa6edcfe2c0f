#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform {

enum class FileType { directory, regular, symbolicLink, other };

// What the file manager reports about one item, read without following a final symbolic link.
// A field is absent when the file system does not report it.
struct ItemAttributes {
    std::optional<FileType> type;
    std::optional<std::uint64_t> systemNumber;      // the file system's device number
    std::optional<std::uint64_t> systemFileNumber;  // the item's file number (inode)
};

// Search-path domains, combinable as a mask.
namespace search_domain {
inline constexpr unsigned kUser = 1;
inline constexpr unsigned kLocal = 2;
}  // namespace search_domain

// The volume an item lives on, as URL resource values report it; a field is absent when the
// volume does not say.
struct VolumeResourceValues {
    std::optional<std::filesystem::path> volumeURL;  // the volume's mount point
    std::optional<bool> isReadOnly;
    std::optional<std::string> volumeUUIDString;
};

// The file manager: the standard folders and every operation on items that can fail. Items are
// real files; operations throw SystemError with the file system's sentence.
class FileManager {
public:
    virtual ~FileManager() = default;

    // The Applications folders of the given domains, the user's domain first.
    virtual std::vector<std::filesystem::path> applicationsDirectories(unsigned domains) = 0;

    // Throws when the item's attributes cannot be read.
    virtual ItemAttributes attributesOfItem(const std::filesystem::path& path) = 0;
    virtual bool isWritableFile(const std::filesystem::path& path) = 0;
    // Fails when the folder exists unless `withIntermediates` is set; the permissions, when
    // given, are applied as they are (not masked).
    virtual void createDirectory(const std::filesystem::path& path, bool withIntermediates,
                                 std::optional<unsigned> posixPermissions = std::nullopt) = 0;
    // Copies a whole item; symbolic links inside stay links. Fails when `to` exists.
    virtual void copyItem(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Moves an item; never replaces an item at `to`, whatever its type.
    virtual void moveItem(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Swaps two existing items in one step: each takes the other's place, so neither place is
    // empty at any instant. Fails, changing nothing, unless both exist.
    virtual void exchangeItems(const std::filesystem::path& first, const std::filesystem::path& second) = 0;
    // Creates a new file holding the bytes; fails when any item exists at the path.
    virtual void createFile(const std::filesystem::path& path, const std::string& contents) = 0;
    // The names of the items in a folder, in no particular order.
    virtual std::vector<std::string> contentsOfDirectory(const std::filesystem::path& path) = 0;
    // Removes an item and everything inside it; symbolic links are removed, not followed.
    virtual void removeItem(const std::filesystem::path& path) = 0;
    // Removes a folder only when it is empty; reports whether it did.
    virtual bool removeEmptyDirectory(const std::filesystem::path& path) = 0;

    // The volume of an existing item; nothing when the item cannot be looked at.
    virtual std::optional<VolumeResourceValues> volumeResourceValues(const std::filesystem::path& path) = 0;
};

}  // namespace tarnwick::platform
