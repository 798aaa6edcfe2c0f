#include "platform/sim/memory_user_defaults.h"

#include <cmath>
#include <system_error>
#include <vector>

#include "support/error.h"
#include "support/files.h"
#include "support/json.h"
#include "support/write_failure.h"

namespace tarnwick::sim {

namespace {
constexpr const char* kTag = "$type";
constexpr const char* kPayload = "value";

Value tagged(const char* type, Value payload) {
    Dictionary d;
    d[kTag] = type;
    d[kPayload] = std::move(payload);
    return Value(std::move(d));
}

// Exactly "$type" and "value": the shape a tagged value is written in.
bool hasTaggedShape(const Dictionary& members) {
    return members.size() == 2 && members.contains(kTag) && members.contains(kPayload);
}

const char* expectedPayload(const std::string& type);

// A dictionary the reader would take for a tagged value, or refuse as one that does not fit its
// tag: its "$type" names a tag the reader knows. Any other dictionary reads back as itself.
bool readAsTagged(const Dictionary& members) {
    if (!hasTaggedShape(members)) return false;
    const auto type = members.at(kTag).asString();
    return type && expectedPayload(*type);
}

Dictionary decodedMembers(const Dictionary& members) {
    Dictionary decoded;
    for (const auto& [key, item] : members) decoded[key] = decodeDefaultsValue(item);
    return decoded;
}

std::optional<Bytes> byteValues(const Value& payload) {
    auto items = payload.asArray();
    if (!items) return std::nullopt;
    Bytes bytes;
    for (const auto& item : *items) {
        auto n = item.toUInt32();
        if (!item.isNumber() || !n || *n > 255) return std::nullopt;
        bytes.data.push_back(static_cast<std::uint8_t>(*n));
    }
    return bytes;
}

// The value a tagged object stands for; nothing when the type is unknown or its "value" does
// not fit the type.
std::optional<Value> decodeTagged(const std::string& type, const Value& payload) {
    if (type == "double") {
        auto text = payload.asString();
        if (!text) return std::nullopt;
        if (*text == "nan") return Value(std::nan(""));
        if (*text == "inf") return Value(INFINITY);
        if (*text == "-inf") return Value(-INFINITY);
        return std::nullopt;
    }
    if (type == "date" && payload.isNumber()) return Value(Date{*payload.toDouble()});
    if (type == "url" && payload.asString()) return Value(Url{*payload.asString()});
    if (type == "bytes") {
        if (auto bytes = byteValues(payload)) return Value(std::move(*bytes));
        return std::nullopt;
    }
    if (type == "dictionary" && payload.asDictionary()) return Value(decodedMembers(*payload.asDictionary()));
    return std::nullopt;
}

const char* expectedPayload(const std::string& type) {
    if (type == "double") return "must be \"nan\", \"inf\" or \"-inf\"";
    if (type == "date") return "must be a number";
    if (type == "url") return "must be a string";
    if (type == "bytes") return "must be an array of whole numbers from 0 to 255";
    if (type == "dictionary") return "must be an object";
    return nullptr;
}

void findMalformedTag(const Value& value, const std::string& path, std::optional<MalformedDefaultsTag>& found) {
    if (auto items = value.asArray()) {
        for (size_t i = 0; i < items->size() && !found; ++i)
            findMalformedTag((*items)[i], path + "[" + std::to_string(i) + "]", found);
        return;
    }
    auto members = value.asDictionary();
    if (!members) return;
    if (hasTaggedShape(*members)) {
        const Value& payload = members->at(kPayload);
        if (auto type = members->at(kTag).asString(); type && expectedPayload(*type)) {
            if (!decodeTagged(*type, payload)) {
                found = MalformedDefaultsTag{path + "." + kPayload, expectedPayload(*type)};
                return;
            }
            if (*type == "dictionary") {
                for (const auto& [key, item] : *payload.asDictionary()) {
                    findMalformedTag(item, path + "." + kPayload + "." + key, found);
                    if (found) return;
                }
            }
            return;
        }
    }
    for (const auto& [key, item] : *members) {
        findMalformedTag(item, path + "." + key, found);
        if (found) return;
    }
}

// Why what is at the domain's path is no file to read, looked at without opening it (opening a
// FIFO can wait for a writer, or wake one); nothing for a regular file or a link to one.
std::optional<std::string> whyNoFile(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    std::error_code error;
    const auto status = fs::status(file, error);
    if (error == std::errc::too_many_symbolic_link_levels) return "its symbolic links loop";
    switch (status.type()) {
    case fs::file_type::regular: return std::nullopt;
    case fs::file_type::not_found: return "it is a symbolic link that leads to nothing";
    case fs::file_type::directory: return "it is a folder";
    case fs::file_type::fifo: return "it is a FIFO (named pipe)";
    case fs::file_type::socket: return "it is a socket";
    case fs::file_type::block:
    case fs::file_type::character: return "it is a device";
    case fs::file_type::none: return std::nullopt;  // not even looked at: the read says why
    default: return "it is no regular file";
    }
}

// What the domain holds when it is no object of settings.
std::string whatIsHeldInstead(const Value& parsed) {
    if (parsed.asArray()) return "it holds a JSON array, not an object of settings";
    if (parsed.asDictionary()) return "it holds one tagged value, not an object of settings";
    return "it holds a single JSON value, not an object of settings";
}

// The saved domain, or nothing with the reason it cannot be read.
std::optional<Dictionary> readDomain(const std::filesystem::path& file, std::string& reason) {
    if (auto noFile = whyNoFile(file)) {
        reason = std::move(*noFile);
        return std::nullopt;
    }
    std::string bytes;
    try {
        bytes = json::readFile(file);
    } catch (const SystemError& failure) {
        reason = files::reasonForReading(failure.underlyingErrno(), file).value_or("it could not be opened");
        return std::nullopt;
    } catch (const std::exception&) {
        reason = "it could not be opened";
        return std::nullopt;
    }
    // A key given twice is refused too: whichever the domain kept, the next save would drop the other.
    const json::Reading reading = json::parseDocument(bytes, json::RepeatedKeys::refused);
    if (!reading.value) {
        if (bytes.empty())
            reason = "it is empty";
        else if (reading.refusal == json::Reading::Refusal::repeatedKey && !reading.place.empty())
            reason = reading.place.substr(reading.place.front() == '.' ? 1 : 0) + " " + reading.why();
        else
            reason = "it " + reading.why();
        return std::nullopt;
    }
    const auto& parsed = reading.value;
    // Read as a plain dictionary, such a value would be written back as one at the next save.
    if (auto malformed = findMalformedDefaultsTag(*parsed)) {
        reason = malformed->path.substr(1) + " " + malformed->expectation;
        return std::nullopt;
    }
    // The top level must stay a dictionary once decoded: a file that is one tagged value as a
    // whole (a date, a URL) is no domain.
    Value decoded = parsed->asDictionary() ? decodeDefaultsValue(*parsed) : Value();
    if (!decoded.asDictionary()) {
        reason = whatIsHeldInstead(*parsed);
        return std::nullopt;
    }
    return std::move(*decoded.asDictionary());
}

}  // namespace

Value encodeDefaultsValue(const Value& value) {
    switch (value.kind()) {
    case Value::Kind::floating:
    case Value::Kind::singleFloating: {
        double d = *value.toDouble();
        if (std::isfinite(d)) return value;
        return tagged("double", std::isnan(d) ? "nan" : (d > 0 ? "inf" : "-inf"));
    }
    case Value::Kind::date: return tagged("date", value.asDate()->secondsSince1970);
    case Value::Kind::url: return tagged("url", value.asUrl()->text);
    case Value::Kind::bytes: {
        Array bytes;
        for (auto b : value.asBytes()->data) bytes.emplace_back(static_cast<int>(b));
        return tagged("bytes", std::move(bytes));
    }
    case Value::Kind::array: {
        Array items;
        for (const auto& item : *value.asArray()) items.push_back(encodeDefaultsValue(item));
        return Value(std::move(items));
    }
    case Value::Kind::dictionary: {
        Dictionary members;
        for (const auto& [key, item] : *value.asDictionary()) members[key] = encodeDefaultsValue(item);
        // A dictionary the reader would take for a tagged value is wrapped, so that it reads back
        // as itself and not as the date or URL its two keys would otherwise stand for. No other is:
        // each wrapping adds a level, and a file read and written back must stay what it was.
        if (readAsTagged(*value.asDictionary())) return tagged("dictionary", Value(std::move(members)));
        return Value(std::move(members));
    }
    case Value::Kind::element:
    case Value::Kind::geometry: return Value();
    default: return value;
    }
}

Value decodeDefaultsValue(const Value& value) {
    if (auto items = value.asArray()) {
        Array decoded;
        for (const auto& item : *items) decoded.push_back(decodeDefaultsValue(item));
        return Value(std::move(decoded));
    }
    auto members = value.asDictionary();
    if (!members) return value;
    if (hasTaggedShape(*members)) {
        if (auto type = members->at(kTag).asString())
            if (auto decoded = decodeTagged(*type, members->at(kPayload))) return std::move(*decoded);
    }
    return Value(decodedMembers(*members));
}

std::optional<MalformedDefaultsTag> findMalformedDefaultsTag(const Value& value) {
    std::optional<MalformedDefaultsTag> found;
    findMalformedTag(value, "", found);
    return found;
}

MemoryUserDefaults::MemoryUserDefaults(std::filesystem::path file) {
    std::error_code error;
    // Only a path where nothing is, not even a dangling link, is a fresh domain that may be written.
    if (std::filesystem::symlink_status(file, error).type() == std::filesystem::file_type::not_found) {
        file_ = std::move(file);
        return;
    }
    startedFresh_ = false;
    std::string reason;
    if (auto values = readDomain(file, reason)) {
        values_ = std::move(*values);
        file_ = std::move(file);
        return;
    }
    // Unreadable: keep the file as it is and do not write over it.
    unreadable_ = Unreadable{std::move(file), std::move(reason)};
}

std::optional<platform::UserDefaults::Unreadable> MemoryUserDefaults::unreadable() const { return unreadable_; }

std::optional<Value> MemoryUserDefaults::object(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void MemoryUserDefaults::set(const std::string& key, Value value) {
    {
        std::lock_guard lock(mutex_);
        values_[key] = std::move(value);
        ++writes_[key];
        ++totalWrites_;
        if (!persist()) return;
    }
    tellObservers();
}

void MemoryUserDefaults::remove(const std::string& key) {
    {
        std::lock_guard lock(mutex_);
        values_.erase(key);
        ++writes_[key];
        ++totalWrites_;
        if (!persist()) return;
    }
    tellObservers();
}

void MemoryUserDefaults::replaceAll(Dictionary values) {
    {
        std::lock_guard lock(mutex_);
        values_ = std::move(values);
        if (!persist()) return;
    }
    tellObservers();
}

std::optional<platform::UserDefaults::SaveFailure> MemoryUserDefaults::saveFailure() const {
    std::lock_guard lock(mutex_);
    return saveFailure_;
}

Subscription MemoryUserDefaults::observeSaves(std::function<void()> observer) {
    std::lock_guard lock(observers_->mutex);
    const int id = observers_->next++;
    observers_->list.emplace(id, std::move(observer));
    return Subscription([weak = std::weak_ptr<Observers>(observers_), id] {
        if (auto observers = weak.lock()) {
            std::lock_guard lock(observers->mutex);
            observers->list.erase(id);
        }
    });
}

void MemoryUserDefaults::tellObservers() {
    std::vector<std::function<void()>> observers;
    {
        std::lock_guard lock(observers_->mutex);
        for (const auto& [id, observer] : observers_->list) observers.push_back(observer);
    }
    for (const auto& observer : observers) observer();
}

Dictionary MemoryUserDefaults::snapshot() const {
    std::lock_guard lock(mutex_);
    return values_;
}

int MemoryUserDefaults::writeCount(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto it = writes_.find(key);
    return it == writes_.end() ? 0 : it->second;
}

int MemoryUserDefaults::totalWrites() const {
    std::lock_guard lock(mutex_);
    return totalWrites_;
}

bool MemoryUserDefaults::persist() {
    if (!file_) return false;
    // The domain stays in memory whatever happens; the next change tries again.
    saveFailure_.reset();
    const auto failed = [this](const std::string& sentence) { saveFailure_ = SaveFailure{*file_, sentence}; };
    const Value encoded = encodeDefaultsValue(Value(values_));
    // A file the next start would refuse loses every setting: the old one is kept instead.
    if (json::depth(encoded) > json::kMaximumDepth) {
        failed("The file \u201C" + file_->filename().string() +
               "\u201D couldn\u2019t be saved because the settings would nest arrays and objects more than " +
               std::to_string(json::kMaximumDepth) + " levels deep, and Tarnwick could not read it back.");
        return true;
    }
    auto text = json::write(encoded, json::Style::pretty);
    if (!text || !json::parse(*text)) {  // text that is not UTF-8 reads back as no JSON
        failed(file_error::make(file_error::kFileWriteUnknown, file_->filename().string()).what());
        return true;
    }
    try {
        files::createDirectories(file_->parent_path());
        files::writeAtomically(*file_, *text);
    } catch (const files::WrittenAmiss& written) {
        // The settings are in the file, as in memory; the sentence says where everything else is.
        saveFailure_ = SaveFailure{*file_, written.what(), true};
    } catch (const SystemError& failure) {
        const auto said = files::withReason(failure, *file_);
        failed(said ? said->what() : failure.what());
    } catch (const std::exception&) {
        failed(file_error::make(file_error::kFileWriteUnknown, file_->filename().string()).what());
    }
    return true;
}

}  // namespace tarnwick::sim
