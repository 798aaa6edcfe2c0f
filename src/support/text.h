#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::text {

// Removes leading and trailing Unicode white space and newlines (UTF-8 input).
std::string trimmed(std::string_view input);
bool isBlank(std::string_view input);

// "Desktop " followed by one or more ASCII digits and nothing else.
bool isDesktopTitle(std::string_view title);

// The count and the noun, singular exactly at one: "1 monitor", "0 monitors".
std::string counted(std::size_t count, std::string_view singular, std::string_view plural);
// "1 desktop", "3 desktops".
std::string desktopCountText(std::size_t count);

// Upper- and lower-case mapping of ASCII, Latin-1, basic Greek and Cyrillic letters in UTF-8 text
// ("ß" upper-cases to "SS"); other characters stay.
std::string uppercased(std::string_view input);
std::string lowercased(std::string_view input);

// UTF-8 from UTF-16 code units; a lone surrogate becomes U+FFFD.
std::string fromUTF16(std::u16string_view units);
// The UTF-8 encoding of one scalar value.
std::string fromScalar(char32_t scalar);

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool isValidUTF8(std::string_view input);
// The well-formed UTF-8 sequence at `at` (before the input's end) with its scalar; where none
// starts there, the length of its longest start that could still have been one (at least one
// byte) and no scalar, so that each ill-formed piece counts once, as UTF-8 decoders agree to.
struct WellFormed {
    size_t length;
    std::optional<char32_t> scalar;
};
WellFormed wellFormedAt(std::string_view input, size_t at);

// Number of Unicode scalar values in UTF-8 text.
size_t characterCount(std::string_view input);

// The Unicode scalars of UTF-8 text, each as its bytes (a malformed byte stands alone).
std::vector<std::string_view> scalars(std::string_view input);
// The scalar starting at byte `index`, and the one ending there; nothing past either end.
std::optional<char32_t> scalarAt(std::string_view input, size_t index);
std::optional<char32_t> scalarBefore(std::string_view input, size_t index);
// A character inside a word, for word boundaries: a letter or digit of any script, a combining
// mark, or the underscore. Spaces, punctuation, symbols and emoji are not.
bool isWordCharacter(char32_t scalar);

}  // namespace tarnwick::text
