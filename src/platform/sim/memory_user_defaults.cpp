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
    auto tag = value.find(kTag);
    auto payload = value.find(kPayload);
    if (tag && payload && tag->asString() && members->size() == 2) {
        const std::string& type = *tag->asString();
        if (type == "double" && payload->asString()) {
            const std::string& text = *payload->asString();
            if (text == "nan") return Value(std::nan(""));
            return Value(text == "inf" ? INFINITY : -INFINITY);
        }
        if (type == "date" && payload->toDouble()) return Value(Date{*payload->toDouble()});
        if (type == "url" && payload->asString()) return Value(Url{*payload->asString()});
        if (type == "bytes" && payload->asArray()) {
            Bytes bytes;
            for (const auto& b : *payload->asArray())
                if (auto n = b.toUInt32(); n && *n < 256) bytes.data.push_back(static_cast<std::uint8_t>(*n));
            return Value(std::move(bytes));
        }
    }
    Dictionary decoded;
    for (const auto& [key, item] : *members) decoded[key] = decodeDefaultsValue(item);
    return Value(std::move(decoded));
}

MemoryUserDefaults::MemoryUserDefaults(std::filesystem::path file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        file_ = std::move(file);
        return;
    }
    startedFresh_ = false;
    try {
        auto parsed = json::parse(files::read(file));
        if (parsed && parsed->asDictionary()) {
            values_ = *decodeDefaultsValue(*parsed).asDictionary();
            file_ = std::move(file);
        }
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
