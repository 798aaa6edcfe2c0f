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

}  // namespace
}  // namespace tarnwick
