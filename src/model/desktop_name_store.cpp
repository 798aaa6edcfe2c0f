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

// A file that cannot be read: the error every save then answers with, and why, as the end of a
// sentence for a log read apart from the window ("it is a folder, not a regular file").
struct NotRead {
    std::exception_ptr error;
    std::string reason;
};

template <typename E>
[[noreturn]] void notRead(E error, std::string reason) {
    throw NotRead{std::make_exception_ptr(std::move(error)), std::move(reason)};
}

// Both keys are required: "version" an integer, "names" an object of strings. Other keys are
// ignored. A key given twice anywhere is refused: whichever one counted, the next save would
// drop the other.
Document decode(const std::string& bytes) {
    const json::Reading reading = json::parseDocument(bytes, json::RepeatedKeys::refused);
    if (!reading.value) {
        if (bytes.empty()) notRead(notInTheCorrectFormat(), "it is empty");
        if (reading.refusal != json::Reading::Refusal::repeatedKey)
            notRead(notInTheCorrectFormat(), "it " + reading.why());
        // The same desktop named twice, as the same UUID spelled in two cases is.
        if (reading.place == ".names")
            notRead(DesktopCatalogUnavailable(kAmbiguous),
                    "it names the desktop " + files::curlyQuoted(reading.key) + " twice");
        notRead(notInTheCorrectFormat(),
                (reading.place.empty() ? "it" : files::curlyQuoted(reading.place.substr(1))) + " " + reading.why());
    }
    const Value& root = *reading.value;
    if (!root.asDictionary()) notRead(notInTheCorrectFormat(), "it is not a JSON object");
    const Value* version = root.find("version");
    const Value* names = root.find("names");
    if (!version) notRead(notInTheCorrectFormat(), "it has no \u201Cversion\u201D");
    if (!names) notRead(notInTheCorrectFormat(), "it has no \u201Cnames\u201D");
    Document document;
    auto number = version->toInt64();
    auto members = names->asDictionary();
    if (!number) notRead(notInTheCorrectFormat(), "its \u201Cversion\u201D is not a whole number");
    if (!members) notRead(notInTheCorrectFormat(), "its \u201Cnames\u201D is not an object");
    document.version = *number;
    for (const auto& [key, name] : *members) {
        if (!name.asString())
            notRead(notInTheCorrectFormat(), "the name of " + files::curlyQuoted(key) + " is not a string");
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
    } catch (NotRead& notRead) {
        entries_.clear();
        loadError_ = std::move(notRead.error);
        loadReason_ = std::move(notRead.reason);
    } catch (...) {
        entries_.clear();
        loadError_ = std::current_exception();
        loadReason_ = "it could not be opened";
    }
}

void DesktopNameStore::load() {
    const std::string fileName = fileURL_.filename().string();
    std::error_code error;
    const auto status = fs::symlink_status(fileURL_, error);
    if (status.type() == fs::file_type::not_found) return;
    // Anything we cannot even look at counts as unreadable, so it is never replaced.
    if (error)
        notRead(file_error::make(file_error::kFileReadUnknown, fileName),
                files::reasonForReading(error.value(), fileURL_).value_or("it could not be looked at"));
    // A link that leads to nothing yet is no saved file, as a missing one: the first save makes
    // the file the link leads to.
    if (fs::is_symlink(status) && leadsToNothing(fileURL_)) return;
    // What is no file (a folder, a FIFO, a socket, links that loop) is never opened: opening a
    // FIFO can wait for a writer, or wake one. The writer's look says what is there.
    if (noFileThere(fileURL_)) {
        noFileThere_ = true;
        const auto refused = files::refusalOfWriting(fileURL_);
        notRead(file_error::make(file_error::kFileReadUnknown, fileName),
                refused ? refused->because()
                        : "its symbolic links chain more than " + std::to_string(files::kMostLinksFollowed) + " deep");
    }

    std::string bytes;
    try {
        bytes = json::readFile(fileURL_);
    } catch (const SystemError& failure) {
        notRead(failure,
                files::reasonForReading(failure.underlyingErrno(), fileURL_).value_or("it could not be opened"));
    }
    const Document document = decode(bytes);
    if (document.version != documentVersion)
        notRead(DesktopCatalogUnavailable(kUnreadable), "its version is " + std::to_string(document.version) +
                                                            ", and Tarnwick reads only version " +
                                                            std::to_string(documentVersion));
    for (const auto& [key, name] : document.names)
        if (!uuid::parse(key))
            notRead(DesktopCatalogUnavailable(kUnreadable), "its names have the key " + files::curlyQuoted(key) +
                                                                 ", which is not a desktop\u2019s UUID");
    Names entries;
    std::map<std::string, std::string> spelled;  // each UUID's key as the file spells it
    for (const auto& [key, name] : document.names) {
        const std::string canonical = *uuid::canonical(key);
        if (auto [first, added] = spelled.emplace(canonical, key); !added)
            notRead(DesktopCatalogUnavailable(kAmbiguous),
                    "it names the desktop " + files::curlyQuoted(canonical) + " twice, as " +
                        files::curlyQuoted(first->second) + " and " + files::curlyQuoted(key));
        entries.emplace(canonical, name);
    }
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
    } catch (const files::WrittenAmiss&) {
        // The file holds the new names: so does the store, and the caller tells where things are.
        entries_ = std::move(updated);
        throw;
    } catch (const SystemError& failure) {
        if (auto said = files::withReason(failure, fileURL_)) throw *said;
        throw;
    }
    entries_ = std::move(updated);
}

}  // namespace tarnwick
