#pragma once

#include <filesystem>
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

// Looks at text, in as many pieces as it comes, for what refuses it before anything is built
// from it: a raw NUL byte, which JSON has no place for (inside a string it must be escaped) but
// the JSON library takes for the end of the input, so that a document followed by a NUL and more
// text would read as the document alone and the next save would drop the rest; and nesting past
// kMaximumDepth, which the conversion into a Value (and its destruction) would recurse into
// once a level, and which the library's own tree would build at a hundred bytes a level first.
// Brackets inside strings do not count. For any text the library reads as JSON so far, it
// counts the levels the library does, so a document within the limit reads as it always has.
// A reader that stops reading a file once take() refuses it has what parse() refuses too.
class TextCheck {
public:
    // Looks at the next piece; false once the text so far is refused (and from then on).
    bool take(std::string_view more);

private:
    bool refuse() {
        refused_ = true;
        return false;
    }

    int depth_ = 0;
    bool inString_ = false;
    bool escaped_ = false;  // the last character was a backslash that escapes the next
    bool refused_ = false;
};

// Parses JSON text. Integers stay integers (unsigned only beyond the signed range), floating
// numbers stay floating. Returns nothing for text that is not JSON (a raw NUL byte anywhere
// included) or is nested deeper than kMaximumDepth. Text nested too deep is refused at the first
// bracket past the limit, before anything is built (TextCheck): refusing it costs no more than
// reading that far.
std::optional<Value> parse(std::string_view text);

// A JSON file's text, read no further than TextCheck lets it: all of it, or up to the piece
// that refuses it, which parse() then refuses too. A file of millions of brackets costs what
// reading its first few pieces does. Throws what files::read throws.
std::string readFile(const std::filesystem::path& file);

Value fromNlohmann(const nlohmann::json& json);

}  // namespace tarnwick::json
