#include <filesystem>

#include <gtest/gtest.h>

#include "installation/installation_fixture.h"
#include "support/files.h"
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

}  // namespace
}  // namespace tarnwick
