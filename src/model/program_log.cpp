#include "model/program_log.h"

#include "model/diagnostic_files.h"
#include "model/diagnostic_trace_file.h"
#include "support/run_loop.h"
#include "support/time_format.h"

namespace tarnwick::ProgramLog {

void report(const std::string& sentence, std::FILE* standardError) noexcept {
    std::fprintf(standardError, "tarnwick: %s\n", sentence.c_str());
    std::fflush(standardError);
    try {
        trace_file::appendBounded(DiagnosticFiles::location(kFileName), iso8601(wallClockNow()) + " " + sentence + "\n",
                                  DiagnosticFiles::kAppendGuardBytes, DiagnosticFiles::kAppendRetainedBytes);
    } catch (...) {
    }
}

}  // namespace tarnwick::ProgramLog
