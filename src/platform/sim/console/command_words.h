#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::sim {

// The longest line the console reads; a longer one is refused whole.
inline constexpr std::size_t kLongestConsoleLine = 4096;

// Splits a console line into words. Blanks (spaces and tabs) separate words; double quotes
// enclose text with blanks, where \" is a quote, \\ a backslash, \n and \t a line feed and a tab,
// and \xHH any byte; `#` outside quotes starts a comment that runs to the end of the line. A line
// that is too long, not valid UTF-8, holds a control character, or leaves a quote open throws
// Error with a sentence saying what was wrong and what to type.
std::vector<std::string> splitCommandWords(std::string_view line);

// Text as the console writes it: in double quotes, with the escapes splitCommandWords reads, so
// a printed name can be typed back.
std::string quotedText(std::string_view text);

// A number as the console prints it: at most three decimals, no trailing zeros ("12", "0.35").
std::string formatNumber(double value);

}  // namespace tarnwick::sim
