#pragma once

// Typed reads of a session file's values, each failing with a sentence that names the place.

#include <cstdint>
#include <optional>
#include <string>

#include "support/error.h"
#include "support/value.h"

namespace tarnwick::sim::session_file {

[[noreturn]] inline void fail(const std::string& where, const std::string& what) {
    throw Error("The session file is not valid: " + where + " " + what + ".");
}

inline const Value* member(const Dictionary& object, const char* key) {
    auto it = object.find(key);
    return it == object.end() ? nullptr : &it->second;
}

inline const Dictionary& object(const Value& value, const std::string& where) {
    if (!value.asDictionary()) fail(where, "must be an object");
    return *value.asDictionary();
}

inline const Array& array(const Value& value, const std::string& where) {
    if (!value.asArray()) fail(where, "must be an array");
    return *value.asArray();
}

inline double number(const Value& value, const std::string& where) {
    if (!value.isNumber()) fail(where, "must be a number");
    return *value.toDouble();
}

inline std::string text(const Value& value, const std::string& where) {
    if (!value.asString()) fail(where, "must be a string");
    return *value.asString();
}

inline bool boolean(const Value& value, const std::string& where) {
    if (!value.isBool()) fail(where, "must be true or false");
    return *value.asBool();
}

template <typename T>
T integer(const Value& value, const std::string& where) {
    auto i = value.toInt64();
    if (!value.isNumber() || !i) fail(where, "must be a whole number");
    return static_cast<T>(*i);
}

// A status code of the platform (a 32-bit signed number).
inline std::int32_t status(const Value& value, const std::string& where) {
    auto n = value.toInt32();
    if (!value.isNumber() || !n) fail(where, "must be a whole number");
    return *n;
}

inline std::uint32_t unsigned32(const Value& value, const std::string& where) {
    auto n = value.toUInt32();
    if (!value.isNumber() || !n) fail(where, "must be a whole number from 0 to 4294967295");
    return *n;
}

// A duration: a number of seconds, 0 or more (infinity included).
inline double seconds(const Value& value, const std::string& where) {
    if (!value.isNumber() || !(*value.toDouble() >= 0)) fail(where, "must be a number of seconds, 0 or more");
    return *value.toDouble();
}

// A delay, or null for "never".
inline std::optional<double> delay(const Value& value, const std::string& where) {
    if (value.isNull()) return std::nullopt;
    return seconds(value, where);
}

}  // namespace tarnwick::sim::session_file
