#include <gtest/gtest.h>

#include "model/mission_control_geometry_reader.h"
#include "support/task.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

// The program reads the session from actor threads while the main loop changes it; the reads
// must see whole states (run under the thread sanitizer in CI).
TEST(ThreadedSessionTest, AReaderOnAWorkerThreadSeesWholeStates) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    ExecutorFactoryScope threads([](const std::string& label) { return std::make_shared<ThreadExecutor>(label); });
    MissionControlGeometryReader reader;
    int complete = 0;
    for (int round = 0; round < 20; ++round) {
        env.session.toggleMissionControl();
        auto handle = spawn(reader.read(120));
        handle.onCompletion([&] { env.loop.stop(); });
        // The worker reads while the loop goes on changing the session.
        env.loop.post([&] { env.session.setSpacesBarExpanded(true); });
        env.loop.run();
        ASSERT_TRUE(handle.isDone());
        const auto& snapshot = *handle.result();
        if (snapshot.complete) ++complete;
    }
    EXPECT_GT(complete, 0);
}

}  // namespace
}  // namespace tarnwick
