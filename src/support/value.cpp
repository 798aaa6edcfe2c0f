#include "support/value.h"

#include <cmath>
#include <limits>
#include <sstream>

namespace tarnwick {

namespace {

// Exact comparison of an integral double with a 64-bit range without undefined conversions.
constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;

std::string formatDouble(double d) {
    if (std::isnan(d)) return "nan";
    if (std::isinf(d)) return d > 0 ? "inf" : "-inf";
    std::ostringstream out;
    out.precision(17);
    out << d;
    return out.str();
}

}  // namespace

std::optional<bool> Value::asBool() const {
    if (auto b = std::get_if<bool>(&storage_)) return *b;
    return std::nullopt;
}

std::optional<bool> Value::toBool() const {
    if (auto b = std::get_if<bool>(&storage_)) return *b;
    if (auto d = toDouble(); d && isNumber()) {
        if (*d == 0) return false;
        if (*d == 1) return true;
    }
    return std::nullopt;
}

std::optional<double> Value::toDouble() const {
    switch (kind()) {
    case Kind::boolean: return std::get<bool>(storage_) ? 1.0 : 0.0;
    case Kind::integer: return static_cast<double>(std::get<std::int64_t>(storage_));
    case Kind::unsignedInteger: return static_cast<double>(std::get<std::uint64_t>(storage_));
    case Kind::floating: return std::get<double>(storage_);
    case Kind::singleFloating: return static_cast<double>(std::get<float>(storage_));
    default: return std::nullopt;
    }
}

std::optional<std::int64_t> Value::toInt64() const {
    switch (kind()) {
    case Kind::integer: return std::get<std::int64_t>(storage_);
    case Kind::unsignedInteger: {
        auto u = std::get<std::uint64_t>(storage_);
        if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
        return static_cast<std::int64_t>(u);
    }
    case Kind::floating:
    case Kind::singleFloating: {
        const double d = *toDouble();
        if (!std::isfinite(d) || std::trunc(d) != d || d < -kTwoTo63 || d >= kTwoTo63) return std::nullopt;
        return static_cast<std::int64_t>(d);
    }
    default: return std::nullopt;
    }
}

std::optional<std::uint64_t> Value::toUInt64() const {
    switch (kind()) {
    case Kind::integer: {
        auto i = std::get<std::int64_t>(storage_);
        if (i < 0) return std::nullopt;
        return static_cast<std::uint64_t>(i);
    }
    case Kind::unsignedInteger: return std::get<std::uint64_t>(storage_);
    case Kind::floating:
    case Kind::singleFloating: {
        const double d = *toDouble();
        if (!std::isfinite(d) || std::trunc(d) != d || d < 0 || d >= kTwoTo64) return std::nullopt;
        return static_cast<std::uint64_t>(d);
    }
    default: return std::nullopt;
    }
}

std::optional<std::uint32_t> Value::toUInt32() const {
    auto u = toUInt64();
    if (!u || *u > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(*u);
}

std::optional<std::int32_t> Value::toInt32() const {
    auto i = toInt64();
    if (!i || *i < std::numeric_limits<std::int32_t>::min() || *i > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*i);
}

const Value* Value::find(const std::string& key) const {
    auto dict = asDictionary();
    if (!dict) return nullptr;
    auto it = dict->find(key);
    return it == dict->end() ? nullptr : &it->second;
}

Value& Value::operator[](const std::string& key) {
    if (!asDictionary()) storage_ = Dictionary{};
    return std::get<Dictionary>(storage_)[key];
}

bool isEqualObject(const Value& a, const Value& b) {
    const bool aNumeric = a.isNumber() || a.isBool();
    const bool bNumeric = b.isNumber() || b.isBool();
    if (aNumeric || bNumeric) {
        if (!aNumeric || !bNumeric) return false;
        // Integers compare exactly; anything involving a floating value compares as doubles.
        const auto isFloating = [](const Value& v) {
            return v.kind() == Value::Kind::floating || v.kind() == Value::Kind::singleFloating;
        };
        if (auto ai = a.toInt64(), bi = b.toInt64(); ai && bi && !isFloating(a) && !isFloating(b))
            return *ai == *bi;
        if (a.kind() == Value::Kind::unsignedInteger && b.kind() == Value::Kind::unsignedInteger)
            return *a.toUInt64() == *b.toUInt64();
        return *a.toDouble() == *b.toDouble();
    }
    if (auto aa = a.asArray()) {
        auto ba = b.asArray();
        if (!ba || aa->size() != ba->size()) return false;
        for (size_t i = 0; i < aa->size(); ++i)
            if (!isEqualObject((*aa)[i], (*ba)[i])) return false;
        return true;
    }
    if (auto ad = a.asDictionary()) {
        auto bd = b.asDictionary();
        if (!bd || ad->size() != bd->size()) return false;
        for (auto ai = ad->begin(), bi = bd->begin(); ai != ad->end(); ++ai, ++bi)
            if (ai->first != bi->first || !isEqualObject(ai->second, bi->second)) return false;
        return true;
    }
    return a == b;
}

std::string describe(const Value& value) {
    switch (value.kind()) {
    case Value::Kind::null: return "<null>";
    case Value::Kind::boolean: return *value.asBool() ? "1" : "0";
    case Value::Kind::integer: return std::to_string(*value.toInt64());
    case Value::Kind::unsignedInteger: return std::to_string(*value.toUInt64());
    case Value::Kind::floating:
    case Value::Kind::singleFloating: return formatDouble(*value.toDouble());
    case Value::Kind::string: return *value.asString();
    case Value::Kind::bytes: return "{length = " + std::to_string(value.asBytes()->data.size()) + " bytes}";
    case Value::Kind::date: return "<date " + formatDouble(value.asDate()->secondsSince1970) + ">";
    case Value::Kind::url: return value.asUrl()->text;
    case Value::Kind::element: return "<AXUIElement " + std::to_string(value.asElement()->id) + ">";
    case Value::Kind::geometry: {
        const auto& g = *value.asGeometry();
        if (g.kind == GeometryValue::Kind::size)
            return "<AXValue size w:" + formatDouble(g.size.width) + " h:" + formatDouble(g.size.height) + ">";
        return "<AXValue point x:" + formatDouble(g.point.x) + " y:" + formatDouble(g.point.y) + ">";
    }
    case Value::Kind::array: {
        std::string out = "(";
        const auto& items = *value.asArray();
        for (size_t i = 0; i < items.size(); ++i) {
            if (i) out += ", ";
            out += describe(items[i]);
        }
        return out + ")";
    }
    case Value::Kind::dictionary: {
        std::string out = "{";
        bool first = true;
        for (const auto& [key, item] : *value.asDictionary()) {
            if (!first) out += "; ";
            first = false;
            out += key + " = " + describe(item);
        }
        return out + "}";
    }
    }
    return {};
}

}  // namespace tarnwick
