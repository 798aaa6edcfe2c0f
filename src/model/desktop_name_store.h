#pragma once

#include <exception>
#include <filesystem>
#include <map>
#include <string>

namespace tarnwick {

// The names the user gave desktops, keyed by desktop UUID (upper case), kept in a JSON file.
// A file that exists but could not be read is never overwritten (an object with a key given
// twice included, since a save would keep only one): the load error stays for the store's
// lifetime and every write is refused with it (where something that is no file is at the path,
// with the writer's sentence that says what is there). A symbolic link that leads to nothing
// is no saved file, as a missing file: the first save makes the file it leads to.
class DesktopNameStore {
public:
    using Names = std::map<std::string, std::string>;

    static constexpr int documentVersion = 1;
    // Why a file of another version, or with a key that is no desktop's UUID, is not read.
    static constexpr const char* kUnreadable = "Saved desktop names could not be read.";

    // Loads the file; never throws (problems become loadError()).
    explicit DesktopNameStore(std::filesystem::path fileURL);

    // Desktop UUID to name. A stored name that is blank counts as no name.
    Names names() const;
    void setNames(Names names);

    const std::filesystem::path& file() const { return fileURL_; }

    // Set when an existing file failed to be read or validated.
    const std::exception_ptr& loadError() const { return loadError_; }
    // Why, with a load error, as the end of a sentence that names the file: "it is a folder, not
    // a regular file", "you may not read it", "its version is 2, and Tarnwick reads only version 1".
    const std::string& loadReason() const { return loadReason_; }
    void setLoadError(std::exception_ptr error) { loadError_ = std::move(error); }

    // Stores the trimmed name for the desktop, or removes it when the name is blank, and saves
    // the file. Throws the load error, DesktopCatalogUnavailable for an id that is not a UUID, or
    // the file system's error (then nothing changes); files::WrittenAmiss when the file was
    // written where it should not have been (the names are those the file now holds).
    void set(const std::string& name, const std::string& uuid);

private:
    void load();

    std::filesystem::path fileURL_;
    // Entries exactly as read from the file (keys upper-cased), blank names included, so that a
    // save leaves the other entries as they were.
    Names entries_;
    std::exception_ptr loadError_;
    std::string loadReason_;
    // What is at the path is no file (a folder, a FIFO, links that loop): a save asks the writer
    // what it would refuse there, while it still is, and writes nothing.
    bool noFileThere_ = false;
};

}  // namespace tarnwick
