#include "support/json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/files.h"

namespace tarnwick::json {

namespace {

bool validLeaf(const Value& value) {
    switch (value.kind()) {
    case Value::Kind::null:
    case Value::Kind::boolean:
    case Value::Kind::integer:
    case Value::Kind::unsignedInteger:
    case Value::Kind::string: return true;
    case Value::Kind::floating:
    case Value::Kind::singleFloating: return std::isfinite(*value.toDouble());
    case Value::Kind::array:
        for (const auto& item : *value.asArray())
            if (!validLeaf(item)) return false;
        return true;
    case Value::Kind::dictionary:
        for (const auto& [key, item] : *value.asDictionary())
            if (!validLeaf(item)) return false;
        return true;
    default: return false;
    }
}

void writeString(std::string& out, const std::string& text) {
    out += '"';
    size_t plain = 0;  // start of the run of characters written as they are
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && c != '/') continue;
        out.append(text, plain, i - plain);
        plain = i + 1;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '/': out += "\\/"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default: {
            static const char* digits = "0123456789abcdef";
            out += "\\u00";
            out += digits[c >> 4];
            out += digits[c & 0xF];
        }
        }
    }
    out.append(text, plain, text.size() - plain);
    out += '"';
}

void writeDouble(std::string& out, double d) {
    // Integral values print without a fraction; others in their shortest round-trip form.
    if (std::trunc(d) == d && std::abs(d) < 1e15) {
        out += std::to_string(static_cast<long long>(d));
        return;
    }
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, d);
    out.append(buffer, result.ptr);
}

// A single-precision number in the shortest decimal that reads back as the same float, so that
// a confidence of 0.97f is written 0.97 and not as the double it widens to.
void writeFloat(std::string& out, float f) {
    if (std::trunc(f) == f && std::abs(f) < 1e15f) {
        out += std::to_string(static_cast<long long>(f));
        return;
    }
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, f);
    out.append(buffer, result.ptr);
}

void indent(std::string& out, int depth) { out.append(static_cast<size_t>(depth) * 2, ' '); }

void writeValue(std::string& out, const Value& value, Style style, int depth) {
    const bool pretty = style == Style::pretty;
    switch (value.kind()) {
    case Value::Kind::null: out += "null"; return;
    case Value::Kind::boolean: out += *value.asBool() ? "true" : "false"; return;
    case Value::Kind::integer: out += std::to_string(*value.toInt64()); return;
    case Value::Kind::unsignedInteger: out += std::to_string(*value.toUInt64()); return;
    case Value::Kind::floating: writeDouble(out, *value.toDouble()); return;
    case Value::Kind::singleFloating: writeFloat(out, static_cast<float>(*value.toDouble())); return;
    case Value::Kind::string: writeString(out, *value.asString()); return;
    case Value::Kind::array: {
        const auto& items = *value.asArray();
        if (items.empty()) {
            out += "[]";
            return;
        }
        out += '[';
        for (size_t i = 0; i < items.size(); ++i) {
            if (i) out += ',';
            if (pretty) {
                out += '\n';
                indent(out, depth + 1);
            }
            writeValue(out, items[i], style, depth + 1);
        }
        if (pretty) {
            out += '\n';
            indent(out, depth);
        }
        out += ']';
        return;
    }
    case Value::Kind::dictionary: {
        const auto& members = *value.asDictionary();
        if (members.empty()) {
            out += "{}";
            return;
        }
        out += '{';
        bool first = true;
        for (const auto& [key, item] : members) {  // std::map keeps the keys sorted
            if (!first) out += ',';
            first = false;
            if (pretty) {
                out += '\n';
                indent(out, depth + 1);
            }
            writeString(out, key);
            out += pretty ? " : " : ":";
            writeValue(out, item, style, depth + 1);
        }
        if (pretty) {
            out += '\n';
            indent(out, depth);
        }
        out += '}';
        return;
    }
    default: return;  // unreachable: validated before writing
    }
}

}  // namespace

bool isValidObject(const Value& value) {
    if (value.kind() != Value::Kind::array && value.kind() != Value::Kind::dictionary) return false;
    return validLeaf(value);
}

bool isValidFragment(const Value& value) { return validLeaf(value); }

std::optional<std::string> write(const Value& value, Style style, bool allowFragments) {
    if (allowFragments ? !isValidFragment(value) : !isValidObject(value)) return std::nullopt;
    std::string out;
    writeValue(out, value, style, 0);
    return out;
}

Value fromNlohmann(const nlohmann::json& j) {
    switch (j.type()) {
    case nlohmann::json::value_t::null: return Value();
    case nlohmann::json::value_t::boolean: return Value(j.get<bool>());
    case nlohmann::json::value_t::number_integer: return Value(j.get<std::int64_t>());
    case nlohmann::json::value_t::number_unsigned: {
        auto u = j.get<std::uint64_t>();
        if (u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return Value(static_cast<std::int64_t>(u));
        return Value(u);
    }
    case nlohmann::json::value_t::number_float: return Value(j.get<double>());
    case nlohmann::json::value_t::string: return Value(j.get<std::string>());
    case nlohmann::json::value_t::array: {
        Array items;
        items.reserve(j.size());
        for (const auto& item : j) items.push_back(fromNlohmann(item));
        return Value(std::move(items));
    }
    case nlohmann::json::value_t::object: {
        Dictionary members;
        for (auto it = j.begin(); it != j.end(); ++it) members.emplace(it.key(), fromNlohmann(it.value()));
        return Value(std::move(members));
    }
    default: return Value();
    }
}

bool TextCheck::take(std::string_view more) {
    if (refused_) return false;
    for (const char c : more) {
        if (c == '\0') return refuse();
        if (escaped_) {
            escaped_ = false;  // the escaped character, a quote or a backslash included, ends nothing
        } else if (inString_) {
            if (c == '\\')
                escaped_ = true;
            else if (c == '"')
                inString_ = false;
        } else if (c == '"') {
            inString_ = true;
        } else if (c == '[' || c == '{') {
            if (++depth_ > kMaximumDepth) {
                refusedForDepth_ = true;
                return refuse();
            }
        } else if ((c == ']' || c == '}') && --depth_ < 0) {
            return refuse();  // closes what never opened: no JSON
        }
    }
    return true;
}

std::string readFile(const std::filesystem::path& file) {
    TextCheck check;
    return files::read(file, [&check](std::string_view piece) { return check.take(piece); });
}

namespace {

// Follows the parser through the text to find the first object that holds a key twice, and
// where it is. The parser builds its tree as it goes, so this only watches.
class RepeatedKeyWatch {
public:
    bool found() const { return found_; }
    const std::string& key() const { return key_; }
    const std::string& place() const { return place_; }

    void heard(nlohmann::json::parse_event_t event, const nlohmann::json& parsed) {
        using Event = nlohmann::json::parse_event_t;
        switch (event) {
        case Event::object_start:
        case Event::array_start:
            itemBegins();
            frames_.push_back(Frame{event == Event::object_start, {}, {}, -1});
            return;
        case Event::object_end:
        case Event::array_end:
            if (!frames_.empty()) frames_.pop_back();
            return;
        case Event::key: {
            if (frames_.empty() || found()) return;
            Frame& object = frames_.back();
            object.key = parsed.get<std::string>();
            if (!object.keys.insert(object.key).second) {
                found_ = true;
                key_ = object.key;
                place_ = placeOf(frames_.size() - 1);  // of the object, not of its key
            }
            return;
        }
        case Event::value: itemBegins(); return;
        }
    }

private:
    struct Frame {
        bool object;
        std::set<std::string> keys;
        std::string key;   // of the member being read
        long index;        // of the item being read
    };

    void itemBegins() {
        if (!frames_.empty() && !frames_.back().object) ++frames_.back().index;
    }
    // Where the item that the first `count` frames lead to is.
    std::string placeOf(std::size_t count) const {
        std::string place;
        for (std::size_t i = 0; i < count; ++i)
            place += frames_[i].object ? "." + frames_[i].key : "[" + std::to_string(frames_[i].index) + "]";
        return place;
    }

    std::vector<Frame> frames_;
    std::string key_, place_;
    bool found_ = false;
};

}  // namespace

Reading parseDocument(std::string_view text, RepeatedKeys repeated) {
    Reading reading;
    TextCheck check;
    if (!check.take(text)) {
        reading.refusal = check.refusedForDepth() ? Reading::Refusal::tooDeep : Reading::Refusal::notJson;
        return reading;
    }
    RepeatedKeyWatch watch;
    nlohmann::json::parser_callback_t callback = nullptr;
    if (repeated == RepeatedKeys::refused)
        callback = [&watch](int, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
            watch.heard(event, parsed);
            return true;
        };
    auto parsed = nlohmann::json::parse(text.begin(), text.end(), callback, false);
    if (parsed.is_discarded()) {
        reading.refusal = Reading::Refusal::notJson;
    } else if (watch.found()) {
        reading.refusal = Reading::Refusal::repeatedKey;
        reading.key = watch.key();
        reading.place = watch.place();
    } else {
        reading.value = fromNlohmann(parsed);
    }
    return reading;
}

std::string Reading::why() const {
    switch (refusal) {
    case Refusal::none: return {};
    case Refusal::notJson: return "is not valid JSON";
    case Refusal::tooDeep:
        return "nests arrays and objects more than " + std::to_string(kMaximumDepth) + " levels deep";
    case Refusal::repeatedKey: return "holds the key \u201C" + key + "\u201D twice";
    }
    return {};
}

std::optional<Value> parse(std::string_view text) {
    return parseDocument(text, RepeatedKeys::lastCounts).value;
}

int depth(const Value& value) {
    int deepest = 0;
    if (const auto* items = value.asArray())
        for (const auto& item : *items) deepest = std::max(deepest, depth(item));
    else if (const auto* members = value.asDictionary())
        for (const auto& [key, item] : *members) deepest = std::max(deepest, depth(item));
    else
        return 0;
    return deepest + 1;
}

}  // namespace tarnwick::json
