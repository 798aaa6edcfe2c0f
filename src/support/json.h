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
    // The text was refused for nesting past kMaximumDepth (and not for a NUL byte or a bracket
    // that closes what never opened, before it got that deep).
    bool refusedForDepth() const { return refusedForDepth_; }

private:
    bool refuse() {
        refused_ = true;
        return false;
    }

    int depth_ = 0;
    bool inString_ = false;
    bool escaped_ = false;  // the last character was a backslash that escapes the next
    bool refused_ = false;
    bool refusedForDepth_ = false;
};

// Parses JSON text. Integers stay integers (unsigned only beyond the signed range), floating
// numbers stay floating. Returns nothing for text that is not JSON (a raw NUL byte anywhere
// included) or is nested deeper than kMaximumDepth. Text nested too deep is refused at the first
// bracket past the limit, before anything is built (TextCheck): refusing it costs no more than
// reading that far.
std::optional<Value> parse(std::string_view text);

// Whether an object that holds a key twice is read (the last one counts, as for parse()), or
// refused: a reader that writes its file back would otherwise drop the other without a word.
enum class RepeatedKeys { lastCounts, refused };

// A text read as parse() reads it, and, when it is refused, why.
struct Reading {
    enum class Refusal { none, notJson, tooDeep, repeatedKey };

    std::optional<Value> value;  // nothing when refused
    Refusal refusal = Refusal::none;
    // For repeatedKey, the first key found twice in one object, and where that object is below
    // the top, as ".names" or "[2].a" ("" for the top itself).
    std::string key;
    std::string place;

    // Why the text was refused, as the end of a sentence whose subject is the text ("is not valid
    // JSON", "nests arrays and objects more than 512 levels deep") or, for a repeated key, the
    // object that holds it ("holds the key “a” twice"). Empty when nothing was refused.
    std::string why() const;
};
Reading parseDocument(std::string_view text, RepeatedKeys repeated);

// How deeply arrays and objects nest in a value as JSON would write it: 0 for a string or a
// number, 1 for an array of them. parse() reads back what is at most kMaximumDepth deep.
int depth(const Value& value);

// A JSON file's text, read no further than TextCheck lets it: all of it, or up to the piece
// that refuses it, which parse() then refuses too. A file of millions of brackets costs what
// reading its first few pieces does. Throws what files::read throws.
std::string readFile(const std::filesystem::path& file);

Value fromNlohmann(const nlohmann::json& json);

}  // namespace tarnwick::json
