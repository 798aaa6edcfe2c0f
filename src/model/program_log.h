#pragma once

#include <cstdio>
#include <string>

namespace tarnwick::ProgramLog {

// The program's log in the diagnostics folder: one stamped line for each problem the program
// tells a person about outside its windows.
inline constexpr const char* kFileName = "Tarnwick.log";

// Tells a person of a problem: "tarnwick: <sentence>" on standard error, where the missing fonts
// are told, and "<ISO 8601 time> <sentence>" appended to the log, which stays within the
// diagnostics folder's append bound. A control character of the sentence (a line feed, an
// escape) is written as U+FFFD, so that each problem stays one line. Never throws: a log that
// cannot be written loses the line, not the program.
void report(const std::string& sentence, std::FILE* standardError = stderr) noexcept;

}  // namespace tarnwick::ProgramLog
