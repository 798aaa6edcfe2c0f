#include "model/program_log.h"

#include "model/diagnostic_files.h"
#include "model/diagnostic_trace_file.h"
#include "support/run_loop.h"
#include "support/text.h"
#include "support/time_format.h"

namespace tarnwick::ProgramLog {

namespace {

// A sentence may quote what a file holds (a key, a path): a control character in it would start
// a line of its own, which would read as another problem, or steer the terminal. Each stands as
// U+FFFD instead.
std::string asOneLine(const std::string& sentence) {
    std::string line;
    line.reserve(sentence.size());
    for (size_t at = 0; at < sentence.size();) {
        const auto [length, scalar] = text::wellFormedAt(sentence, at);
        const bool control = scalar && (*scalar < 0x20 || (*scalar >= 0x7F && *scalar <= 0x9F));
        if (control)
            line += "\uFFFD";
        else
            line.append(sentence, at, length);
        at += length;
    }
    return line;
}

}  // namespace

void report(const std::string& sentence, std::FILE* standardError) noexcept {
    std::string line;
    try {
        line = asOneLine(sentence);
    } catch (...) {
        return;  // no memory even for the line
    }
    std::fprintf(standardError, "tarnwick: %s\n", line.c_str());
    std::fflush(standardError);
    try {
        trace_file::appendBounded(DiagnosticFiles::location(kFileName), iso8601(wallClockNow()) + " " + line + "\n",
                                  DiagnosticFiles::kAppendGuardBytes, DiagnosticFiles::kAppendRetainedBytes);
    } catch (...) {
    }
}

}  // namespace tarnwick::ProgramLog
