#pragma once

#include <string>
#include <string_view>

namespace tarnwick::text {

// Removes leading and trailing Unicode white space and newlines (UTF-8 input).
std::string trimmed(std::string_view input);
bool isBlank(std::string_view input);

// "Desktop " followed by one or more ASCII digits and nothing else.
bool isDesktopTitle(std::string_view title);

// Upper- and lower-case mapping of ASCII and Latin-1 letters in UTF-8 text; other characters stay.
std::string uppercased(std::string_view input);
std::string lowercased(std::string_view input);

// Number of Unicode scalar values in UTF-8 text.
size_t characterCount(std::string_view input);

}  // namespace tarnwick::text
