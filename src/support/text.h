#pragma once

#include <string>
#include <string_view>

namespace tarnwick::text {

// Removes leading and trailing Unicode white space and newlines (UTF-8 input).
std::string trimmed(std::string_view input);
bool isBlank(std::string_view input);

// "Desktop " followed by one or more ASCII digits and nothing else.
bool isDesktopTitle(std::string_view title);

// Upper- and lower-case mapping of ASCII, Latin-1, basic Greek and Cyrillic letters in UTF-8 text
// ("ß" upper-cases to "SS"); other characters stay.
std::string uppercased(std::string_view input);
std::string lowercased(std::string_view input);

// UTF-8 from UTF-16 code units; a lone surrogate becomes U+FFFD.
std::string fromUTF16(std::u16string_view units);
// The UTF-8 encoding of one scalar value.
std::string fromScalar(char32_t scalar);

// Number of Unicode scalar values in UTF-8 text.
size_t characterCount(std::string_view input);

}  // namespace tarnwick::text
