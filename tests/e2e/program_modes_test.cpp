#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarnwick
