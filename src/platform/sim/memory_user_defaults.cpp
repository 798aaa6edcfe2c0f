#include "platform/sim/memory_user_defaults.h"

#include <cmath>

#include "support/files.h"
#include "support/json.h"

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
        // A dictionary that looks like a tagged value is wrapped, so that it reads back as itself
        // and not as the date or URL its two keys would otherwise stand for.
        if (hasTaggedShape(*value.asDictionary())) return tagged("dictionary", Value(std::move(members)));
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
    try {
        auto parsed = json::parse(files::read(file));
        if (!parsed || !parsed->asDictionary()) return;
        // The top level must stay a dictionary once decoded: a file that is one tagged value as a
        // whole (a date, a URL) is no domain.
        Value decoded = decodeDefaultsValue(*parsed);
        if (!decoded.asDictionary()) return;
        values_ = std::move(*decoded.asDictionary());
        file_ = std::move(file);
    } catch (const std::exception&) {
        // Unreadable: keep the file as it is and do not write over it.
    }
}

std::optional<Value> MemoryUserDefaults::object(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void MemoryUserDefaults::set(const std::string& key, Value value) {
    std::lock_guard lock(mutex_);
    values_[key] = std::move(value);
    ++writes_[key];
    ++totalWrites_;
    persist();
}

void MemoryUserDefaults::remove(const std::string& key) {
    std::lock_guard lock(mutex_);
    values_.erase(key);
    ++writes_[key];
    ++totalWrites_;
    persist();
}

void MemoryUserDefaults::replaceAll(Dictionary values) {
    std::lock_guard lock(mutex_);
    values_ = std::move(values);
    persist();
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

void MemoryUserDefaults::persist() {
    if (!file_) return;
    auto text = json::write(encodeDefaultsValue(Value(values_)), json::Style::pretty);
    if (!text) return;
    try {
        files::createDirectories(file_->parent_path());
        files::writeAtomically(*file_, *text);
    } catch (const std::exception&) {
        // The domain stays in memory; the next change tries again.
    }
}

}  // namespace tarnwick::sim
