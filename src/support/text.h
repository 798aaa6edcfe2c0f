#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::text {

// Removes leading and trailing white space and newlines (Unicode's White_Space: the ASCII ones,
// U+0085, the no-break spaces, the spaces of U+2000..U+200A, U+1680, U+2028, U+2029, U+205F and
// U+3000) from UTF-8 text. An ill-formed piece is never white space: it stays, and so does what
// lies beyond it. Blank text is nothing but white space (the empty text too).
std::string trimmed(std::string_view input);
bool isBlank(std::string_view input);

// "Desktop " followed by one or more ASCII digits and nothing else.
bool isDesktopTitle(std::string_view title);

// The count and the noun, singular exactly at one: "1 monitor", "0 monitors".
std::string counted(std::size_t count, std::string_view singular, std::string_view plural);
// "1 desktop", "3 desktops".
std::string desktopCountText(std::size_t count);

// Unicode's full case mapping of UTF-8 text in no particular language: "ß" upper-cases to "SS",
// "ﬀ" to "FF", and a capital sigma lower-cases to "ς" at the end of a word and "σ" elsewhere. The
// bytes of an ill-formed piece are kept as they are. ASCII text maps byte by byte.
std::string uppercased(std::string_view input);
std::string lowercased(std::string_view input);
// Unicode's full case folding, the form in which to compare texts that may differ only in case:
// two such texts fold alike, which their lower-case forms need not ("ΟΣ" and "Οσ" lower-case to
// "ος" and "οσ", and both fold to "οσ"). Ill-formed bytes are kept as they are.
std::string caseFolded(std::string_view input);

// UTF-8 from UTF-16 code units; a lone surrogate becomes U+FFFD.
std::string fromUTF16(std::u16string_view units);
// The UTF-8 encoding of one scalar value; a surrogate or a value past U+10FFFF, which no UTF-8
// encodes, gives U+FFFD's.
std::string fromScalar(char32_t scalar);

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool isValidUTF8(std::string_view input);
// The well-formed UTF-8 sequence at `at` (before the input's end) with its scalar; where none
// starts there, the length of its longest start that could still have been one (at least one
// byte) and no scalar, so that each ill-formed piece counts once, as UTF-8 decoders agree to:
// "\xF0\x9F\x98" cut short of an emoji is one piece, "\xC0\xAF" and "\xE0\x80" are two (no
// overlong form starts well), "\xED\xA0\x80" of a surrogate three. At or past the end: length 0.
// Every function here reads UTF-8 in these pieces.
struct WellFormed {
    size_t length;
    std::optional<char32_t> scalar;
};
WellFormed wellFormedAt(std::string_view input, size_t at);

// Number of Unicode scalar values in UTF-8 text, each ill-formed piece counted as one.
size_t characterCount(std::string_view input);

// The Unicode scalars of UTF-8 text, each as its bytes; an ill-formed piece stands as one.
std::vector<std::string_view> scalars(std::string_view input);
// The scalar starting at byte `index`, and the one ending there; nothing past either end. Where
// the piece there is ill-formed, or `index` falls inside a scalar, U+FFFD.
std::optional<char32_t> scalarAt(std::string_view input, size_t index);
std::optional<char32_t> scalarBefore(std::string_view input, size_t index);
// A character inside a word, for word boundaries, by its Unicode general category: a letter,
// mark or number of any script (digits, "²", Roman numerals) or connector punctuation ("_", "＿",
// "‿"). Spaces, other punctuation, symbols (emoji too), private use, surrogates, unassigned code
// points and U+FFFD are not.
bool isWordCharacter(char32_t scalar);

}  // namespace tarnwick::text
