#include "model/desktop_name_store.h"

#include <cstdint>
#include <optional>
#include <system_error>
#include <utility>

#include "model/desktop_catalog_unavailable.h"
#include "support/error.h"
#include "support/files.h"
#include "support/json.h"
#include "support/text.h"
#include "support/uuid.h"
#include "support/write_failure.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

constexpr const char* kAmbiguous = "Saved desktop identities are ambiguous.";
constexpr const char* kNoSuchDesktop = "This desktop is no longer available.";

struct Document {
    std::int64_t version = 0;
    DesktopNameStore::Names names;
};

SystemError notInTheCorrectFormat() { return file_error::make(file_error::kFileReadCorruptFile); }

// Both keys are required: "version" an integer, "names" an object of strings. Other keys are
// ignored.
Document decode(const std::string& bytes) {
    auto root = json::parse(bytes);
    if (!root) throw notInTheCorrectFormat();
    const Value* version = root->find("version");
    const Value* names = root->find("names");
    if (!version || !names) throw notInTheCorrectFormat();
    Document document;
    auto number = version->toInt64();
    auto members = names->asDictionary();
    if (!number || !members) throw notInTheCorrectFormat();
    document.version = *number;
    for (const auto& [key, name] : *members) {
        if (!name.asString()) throw notInTheCorrectFormat();
        document.names.emplace(key, *name.asString());
    }
    return document;
}

// A symbolic link whose chain ends where nothing is.
bool leadsToNothing(const fs::path& link) {
    std::error_code error;
    return fs::status(link, error).type() == fs::file_type::not_found;
}

// Something is there, at the end of its links, that is no regular file, or the links loop.
bool noFileThere(const fs::path& path) {
    std::error_code error;
    const auto status = fs::status(path, error);
    if (error) return error == std::errc::too_many_symbolic_link_levels;
    return status.type() != fs::file_type::regular;
}

std::string encode(const DesktopNameStore::Names& names) {
    Dictionary members;
    for (const auto& [key, name] : names) members.emplace(key, Value(name));
    Value document;
    document["version"] = DesktopNameStore::documentVersion;
    document["names"] = Value(std::move(members));
    return json::write(document).value_or(std::string());
}

}  // namespace

DesktopNameStore::DesktopNameStore(fs::path fileURL) : fileURL_(std::move(fileURL)) {
    try {
        load();
    } catch (...) {
        entries_.clear();
        loadError_ = std::current_exception();
    }
}

void DesktopNameStore::load() {
    std::error_code error;
    const auto status = fs::symlink_status(fileURL_, error);
    if (status.type() == fs::file_type::not_found) return;
    // Anything we cannot even look at counts as unreadable, so it is never replaced.
    if (error) throw file_error::make(file_error::kFileReadUnknown, fileURL_.filename().string());
    // A link that leads to nothing yet is no saved file, as a missing one: the first save makes
    // the file the link leads to.
    if (fs::is_symlink(status) && leadsToNothing(fileURL_)) return;
    // What is no file (a folder, a FIFO, a socket, links that loop) is never opened: opening a
    // FIFO can wait for a writer, or wake one.
    if (noFileThere(fileURL_)) {
        noFileThere_ = true;
        throw file_error::make(file_error::kFileReadUnknown, fileURL_.filename().string());
    }

    const Document document = decode(json::readFile(fileURL_));
    if (document.version != documentVersion) throw DesktopCatalogUnavailable(kUnreadable);
    Names entries;
    for (const auto& [key, name] : document.names)
        if (!uuid::parse(key)) throw DesktopCatalogUnavailable(kUnreadable);
    for (const auto& [key, name] : document.names)
        if (!entries.emplace(*uuid::canonical(key), name).second) throw DesktopCatalogUnavailable(kAmbiguous);
    // Names are kept as stored; blank ones are hidden by names().
    entries_ = std::move(entries);
}

DesktopNameStore::Names DesktopNameStore::names() const {
    Names visible;
    for (const auto& [key, name] : entries_)
        if (!text::isBlank(name)) visible.emplace(key, name);
    return visible;
}

void DesktopNameStore::setNames(Names names) { entries_ = std::move(names); }

void DesktopNameStore::set(const std::string& name, const std::string& uuid) {
    if (loadError_) {
        // The writer says what is there, as it would refuse it, by looking only: whatever took
        // the item's place since the load, nothing is written over it.
        if (noFileThere_)
            if (auto refused = files::refusalOfWriting(fileURL_)) throw *refused;
        std::rethrow_exception(loadError_);
    }
    const auto key = uuid::canonical(uuid);
    if (!key) throw DesktopCatalogUnavailable(kNoSuchDesktop);

    const std::string value = text::trimmed(name);
    Names updated = entries_;
    if (value.empty())
        updated.erase(*key);
    else
        updated[*key] = value;
    if (updated == entries_) return;

    const std::string fileName = fileURL_.filename().string();
    const std::string bytes = encode(updated);
    // Text that is not valid UTF-8 would produce a file that can no longer be read, which would
    // lock every later change out; refuse it instead of writing it.
    if (bytes.empty() || !json::parse(bytes)) throw file_error::make(file_error::kFileWriteUnknown, fileName);
    try {
        if (!fileURL_.parent_path().empty()) files::createDirectories(fileURL_.parent_path());
        files::writeAtomically(fileURL_, bytes);
    } catch (const SystemError& failure) {
        if (auto said = files::withReason(failure, fileURL_)) throw *said;
        throw;
    }
    entries_ = std::move(updated);
}

}  // namespace tarnwick
