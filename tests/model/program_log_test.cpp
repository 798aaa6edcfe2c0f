#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "model/diagnostic_files.h"
#include "model/program_log.h"
#include "support/time_format.h"
#include "testkit/temp_folder.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// Each report is one line on standard error and one stamped line in the log, in order.
TEST(ProgramLogTest, AReportGoesToStandardErrorAndIsAppendedToTheLogStamped) {
    testkit::TestEnvironment env;
    testkit::TempFolder folder;
    const fs::path said = folder / "stderr.txt";
    std::FILE* standardError = std::fopen(said.c_str(), "w");
    ASSERT_NE(standardError, nullptr);
    ProgramLog::report("First \u201Cproblem\u201D.", standardError);
    env.advance(61);
    ProgramLog::report("Second problem.", standardError);
    std::fclose(standardError);

    EXPECT_EQ(testkit::fileText(said), "tarnwick: First \u201Cproblem\u201D.\ntarnwick: Second problem.\n");
    const double start = env.clock.now() - 61;
    EXPECT_EQ(testkit::fileText(DiagnosticFiles::location(ProgramLog::kFileName)),
              iso8601(start) + " First \u201Cproblem\u201D.\n" + iso8601(start + 61) + " Second problem.\n");
}

// A log that cannot be written loses the line, never the program or what is in its place.
TEST(ProgramLogTest, ALogThatCannotBeWrittenLeavesWhatIsThereAlone) {
    testkit::TestEnvironment env;
    const fs::path log = DiagnosticFiles::location(ProgramLog::kFileName);
    fs::create_directories(log);
    testkit::TempFolder folder;
    std::FILE* standardError = std::fopen((folder / "stderr.txt").c_str(), "w");
    ASSERT_NE(standardError, nullptr);
    ProgramLog::report("Still said.", standardError);
    std::fclose(standardError);
    EXPECT_EQ(testkit::fileText(folder / "stderr.txt"), "tarnwick: Still said.\n");
    EXPECT_TRUE(fs::is_directory(log));
    EXPECT_TRUE(fs::is_empty(log));
}

// A sentence that quotes what a file holds stays one line, and steers no terminal: every control
// character (a line feed, an escape, a NUL, a C1 control) stands as U+FFFD; the rest is kept,
// ill-formed bytes included.
TEST(ProgramLogTest, ASentenceStaysOneLineWhateverItQuotes) {
    using namespace std::string_literals;
    testkit::TestEnvironment env;
    testkit::TempFolder folder;
    const fs::path said = folder / "stderr.txt";
    std::FILE* standardError = std::fopen(said.c_str(), "w");
    ASSERT_NE(standardError, nullptr);
    ProgramLog::report("Key \u201Ca\nb\r\x1B[2Jc\u0085d\0e\x7F\xFF\u00A0f\u201D."s, standardError);
    std::fclose(standardError);

    const std::string line = "Key \u201Ca\uFFFDb\uFFFD\uFFFD[2Jc\uFFFDd\uFFFDe\uFFFD\xFF\u00A0f\u201D.";
    EXPECT_EQ(testkit::fileText(said), "tarnwick: " + line + "\n");
    EXPECT_EQ(testkit::fileText(DiagnosticFiles::location(ProgramLog::kFileName)), iso8601(env.clock.now()) + " " + line + "\n");
}

}  // namespace
}  // namespace tarnwick
