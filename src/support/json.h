#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "support/value.h"

namespace tarnwick::json {

// Whether a value can be written as JSON: a dictionary or array at the top, and below it only
// strings, finite numbers, booleans, null, arrays and dictionaries.
bool isValidObject(const Value& value);
// The same test for any value, also one that is not a container (a fragment).
bool isValidFragment(const Value& value);

enum class Style { compact, pretty };

// Writes JSON with sorted keys and the platform serialiser's escaping ("/" written as "\/").
// Pretty output indents by two spaces and separates keys with " : ". Returns nothing when the
// value cannot be represented; a top-level fragment is accepted only when allowFragments is set.
std::optional<std::string> write(const Value& value, Style style = Style::compact, bool allowFragments = false);

// Deepest nesting of arrays and objects that parse() accepts.
inline constexpr int kMaximumDepth = 512;

// Parses JSON text. Integers stay integers (unsigned only beyond the signed range), floating
// numbers stay floating. Returns nothing for text that is not JSON (a raw NUL byte anywhere
// included) or is nested deeper than kMaximumDepth. Text nested too deep is refused at the first
// bracket past the limit, before anything is built: refusing it costs no more than reading that far.
std::optional<Value> parse(std::string_view text);

Value fromNlohmann(const nlohmann::json& json);

}  // namespace tarnwick::json
