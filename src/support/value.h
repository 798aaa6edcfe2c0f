#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "support/geometry.h"

namespace tarnwick {

class Value;
using Array = std::vector<Value>;
using Dictionary = std::map<std::string, Value>;

struct Bytes {
    std::vector<std::uint8_t> data;
    friend bool operator==(const Bytes&, const Bytes&) = default;
};

// A point in wall-clock time, seconds since 1970-01-01 UTC.
struct Date {
    double secondsSince1970 = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

struct Url {
    std::string text;
    friend bool operator==(const Url&, const Url&) = default;
};

// An opaque handle to an Accessibility element. Two handles to the same element compare equal,
// whatever path led to them.
struct ElementRef {
    std::uint64_t id = 0;
    friend bool operator==(const ElementRef&, const ElementRef&) = default;
};

// A geometry value as the Accessibility API wraps it (a point or a size).
struct GeometryValue {
    enum class Kind { point, size, rect, range };
    Kind kind = Kind::point;
    Point point;
    Size size;
    friend bool operator==(const GeometryValue&, const GeometryValue&) = default;
    static GeometryValue makePoint(double x, double y) { return {Kind::point, {x, y}, {}}; }
    static GeometryValue makeSize(double w, double h) { return {Kind::size, {}, {w, h}}; }
};

// The loosely typed value the platform hands out (defaults objects, window-server dictionaries,
// Accessibility attribute values). Bool stays apart from numbers and integers from floating
// numbers, and it can hold what JSON cannot (dates, bytes, URLs, NaN, element handles).
class Value {
public:
    // `singleFloating` is a single-precision number (a confidence, a scale): it reads as the
    // double it converts to exactly, and JSON writes it in its own shortest form (0.97).
    enum class Kind { null, boolean, integer, unsignedInteger, floating, string, bytes, date, url, array,
                      dictionary, element, geometry, singleFloating };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : storage_(b) {}
    Value(int i) : storage_(static_cast<std::int64_t>(i)) {}
    Value(long i) : storage_(static_cast<std::int64_t>(i)) {}
    Value(long long i) : storage_(static_cast<std::int64_t>(i)) {}
    Value(unsigned i) : storage_(static_cast<std::int64_t>(i)) {}
    Value(unsigned long i) : storage_(static_cast<std::uint64_t>(i)) {}
    Value(unsigned long long i) : storage_(static_cast<std::uint64_t>(i)) {}
    Value(double d) : storage_(d) {}
    Value(float f) : storage_(f) {}
    Value(const char* s) : storage_(std::string(s)) {}
    Value(std::string s) : storage_(std::move(s)) {}
    Value(std::string_view s) : storage_(std::string(s)) {}
    Value(Bytes b) : storage_(std::move(b)) {}
    Value(Date d) : storage_(d) {}
    Value(Url u) : storage_(std::move(u)) {}
    Value(Array a) : storage_(std::move(a)) {}
    Value(Dictionary d) : storage_(std::move(d)) {}
    Value(ElementRef e) : storage_(e) {}
    Value(GeometryValue g) : storage_(g) {}

    Kind kind() const { return static_cast<Kind>(storage_.index()); }
    bool isNull() const { return kind() == Kind::null; }
    bool isBool() const { return kind() == Kind::boolean; }
    // A number in the strict sense: integer or floating, never a boolean.
    bool isNumber() const {
        return kind() == Kind::integer || kind() == Kind::unsignedInteger || kind() == Kind::floating ||
               kind() == Kind::singleFloating;
    }
    bool isInteger() const { return kind() == Kind::integer || kind() == Kind::unsignedInteger; }

    // "Converts to a Bool": a bool, or a number equal to 0 or 1.
    std::optional<bool> toBool() const;
    // "Converts to a Double": any number, a bool as 1 or 0. Strings never convert.
    std::optional<double> toDouble() const;
    // Exact integer reads: a number (not a bool) that is finite, integral and in range.
    std::optional<std::int64_t> toInt64() const;
    std::optional<std::uint64_t> toUInt64() const;
    std::optional<std::uint32_t> toUInt32() const;
    std::optional<std::int32_t> toInt32() const;

    const std::string* asString() const { return std::get_if<std::string>(&storage_); }
    const Array* asArray() const { return std::get_if<Array>(&storage_); }
    Array* asArray() { return std::get_if<Array>(&storage_); }
    const Dictionary* asDictionary() const { return std::get_if<Dictionary>(&storage_); }
    Dictionary* asDictionary() { return std::get_if<Dictionary>(&storage_); }
    const ElementRef* asElement() const { return std::get_if<ElementRef>(&storage_); }
    const GeometryValue* asGeometry() const { return std::get_if<GeometryValue>(&storage_); }
    const Bytes* asBytes() const { return std::get_if<Bytes>(&storage_); }
    const Date* asDate() const { return std::get_if<Date>(&storage_); }
    const Url* asUrl() const { return std::get_if<Url>(&storage_); }
    std::optional<bool> asBool() const;  // only a real boolean

    // Dictionary member access; nullptr when this is not a dictionary or the key is absent.
    const Value* find(const std::string& key) const;
    // Convenience for building dictionaries: creates the dictionary and the key as needed.
    Value& operator[](const std::string& key);

    // Strict equality: same kind and same content.
    friend bool operator==(const Value& a, const Value& b) { return a.storage_ == b.storage_; }

    using Storage = std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double, std::string, Bytes,
                                 Date, Url, Array, Dictionary, ElementRef, GeometryValue, float>;
    const Storage& storage() const { return storage_; }

private:
    Storage storage_;
};

// The platform's object equality: numbers (booleans included) compare by numeric value, strings,
// dates, arrays and dictionaries by content.
bool isEqualObject(const Value& a, const Value& b);

// A short textual description of any value, as the platform's description of an object.
std::string describe(const Value& value);

// An array of the items, each converted as Value's own constructors convert it.
template <typename T>
Value arrayValue(const std::vector<T>& items) {
    Array array;
    array.reserve(items.size());
    for (const auto& item : items) array.emplace_back(item);
    return Value(std::move(array));
}

}  // namespace tarnwick
