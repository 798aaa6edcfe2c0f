#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "installation/installation_fixture.h"
#include "support/files.h"
#include "testkit/device_node.h"
#include "testkit/run_program.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

TEST(ProgramModesTest, AMalformedEjectionLaunchEjectsNothingAndSaysSoInItsStatus) {
    testkit::TempFolder home;
    auto result = testkit::runTarnwick({"--finish-installer-eject", "not-a-pid", "1", "e30="},
                                       {{"HOME", home.path().string()}});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(result.standardOutput.empty());
}

TEST(ProgramModesTest, AScriptedAnswerNamingNoButtonIsAnInvalidSessionFileNotACrash) {
    testkit::TempFolder home;
    installation_test::makeBundle(home / "Machine/Volumes/Tarnwick/Tarnwick.app");
    const auto session = home / "session.json";
    files::writeAtomically(session, R"({
      "fileSystem": {"mainBundle": "/Volumes/Tarnwick/Tarnwick.app"},
      "alertAnswers": ["Install"]
    })");
    auto result = testkit::runTarnwick({}, {{"HOME", home.path().string()}, {"TARNWICK_SESSION", session.string()}});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.standardError,
              "The session file is not valid: alertAnswers[0] \"Install\" names no button of the alert \"Install "
              "Tarnwick\".\n");
    EXPECT_FALSE(std::filesystem::exists(home / "Machine/Applications/Tarnwick.app"));
}

const std::string kMissionControlOpen = std::string(TARNWICK_SOURCE_DIR) + "/sessions/mission-control-open.json";

TEST(ProgramModesTest, TheOrderOfTheChecksThroughTheProgram) {
    testkit::TempFolder home;
    const std::map<std::string, std::string> env{{"HOME", home.path().string()}, {"TARNWICK_SESSION", kMissionControlOpen}};
    // "--locate-saved" wins inside the locate mode: with no saved name nothing wants a label.
    auto saved = testkit::runTarnwick({"--locate", "--locate-saved"}, env);
    EXPECT_EQ(saved.exitStatus, 0);
    EXPECT_EQ(saved.standardOutput, "{\n  \"unsupported\" : \"No desktop has a saved name to inspect\"\n}\n");
    // The ejection option anywhere but first is ignored: here the snapshot is printed.
    auto diagnose = testkit::runTarnwick({"--diagnose", "--finish-installer-eject", "1", "2", "e30="}, env);
    EXPECT_EQ(diagnose.exitStatus, 0);
    EXPECT_EQ(diagnose.standardOutput.rfind("{\n  \"accessibilityTrusted\"", 0), 0u);
    EXPECT_EQ(diagnose.standardOutput.find("\n\n"), std::string::npos);
    EXPECT_EQ(diagnose.standardOutput.back(), '\n');
}

TEST(ProgramModesTest, AJsonModeWhoseReaderWentAwayOrWhoseDiskIsFullFailsWithStatusOne) {
    testkit::TempFolder home;
    const std::map<std::string, std::string> env{{"HOME", home.path().string()}, {"TARNWICK_SESSION", kMissionControlOpen}};
    for (const char* option : {"--diagnose", "--locate"}) {
        testkit::RunOptions closed;
        closed.closedOutput = true;
        const auto result = testkit::runTarnwick({option}, env, closed);
        EXPECT_EQ(result.terminatingSignal, 0) << option;
        EXPECT_EQ(result.exitStatus, 1) << option;
        EXPECT_EQ(result.standardError, "Tarnwick could not write its output; nothing more was written.\n") << option;
    }
    const auto device = testkit::makeCharacterDevice(home / "full", testkit::kFullDevice);
    if (!device) GTEST_SKIP() << "the full disk: " << testkit::kNoDeviceHere;
    for (const char* option : {"--diagnose", "--locate"}) {
        testkit::RunOptions full;
        full.outputFile = device->string();
        EXPECT_EQ(testkit::runTarnwick({option}, env, full).exitStatus, 1) << option;
    }
}

}  // namespace
}  // namespace tarnwick
