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

// Where a comment cut a console line: nowhere, after a blank, or right after a word's last
// character (`keys shift-#`), where the `#` was likely meant as part of the word.
enum class CommentCut { none, afterBlank, inWord };

// The words of a console line, as splitCommandWords gives them, and where a comment cut it.
struct CommandLine {
    std::vector<std::string> words;
    CommentCut comment = CommentCut::none;
};
CommandLine splitCommandLine(std::string_view line);

// Text as the console writes it: in double quotes, with the escapes splitCommandWords reads, so
// a printed name can be typed back.
std::string quotedText(std::string_view text);

// A sentence kept to one line: a control character it took unquoted from what was typed is
// written with the same escapes, never raw, so that every answer stays one line.
std::string oneLine(std::string_view sentence);

// Items as a sentence lists them: "A", "A and B", "A, B and C" (with `last` as the last joint,
// "and" or "or").
std::string listed(const std::vector<std::string>& items, std::string_view last);

// From here on a number is written in exponent form: the fixed form would show digits past what a
// double holds, digits nobody typed.
inline constexpr double kLeastInExponentForm = 1e12;

// A number as the console and the picture write it: at most three decimals, no trailing zeros, no
// "-0" ("12", "0.35", "0" for 0.0001); from a trillion up the shortest exponent form that reads
// back as the value ("1e+300", "1.5e+12"). Either is a valid SVG number.
std::string formatNumber(double value);

}  // namespace tarnwick::sim
