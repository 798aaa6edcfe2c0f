#include <functional>

#include <gtest/gtest.h>

#include "applications/space_application_snapshot_loader.h"
#include "model/private_spaces.h"
#include "support/task.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

// The window reader runs on its own thread in the program while the main loop reads the private
// desktop data itself (catalog refreshes, focus checks) and changes the session; every read must
// see whole states (run under the thread sanitizer in CI).
TEST(ThreadedWindowReaderTest, ReadsOnAWorkerThreadWhileTheMainLoopUsesTheWindowServer) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    SpaceApplicationReader reader(std::make_shared<ThreadExecutor>("window reader"));
    SpaceApplicationSnapshotLoader loader([&] { return env.clock.uptime(); }, nullptr, &reader);
    const std::vector<DesktopMonitor> catalog = {
        DesktopMonitor{"A", "Built-in", Rect(0, 0, 1512, 982),
                       {{"D1", 1, "Desktop 1", true}, {"D3", 3, "Desktop 2", false}}},
        DesktopMonitor{"B", "Studio", Rect(1512, -200, 2560, 1440),
                       {{"D4", 4, "Desktop 3", true}, {"D6", 6, "Desktop 4", false}}},
    };
    for (int round = 0; round < 20; ++round) {
        auto handle = spawn(loader.snapshot(catalog, std::nullopt, 0));
        handle.onCompletion([&] { env.loop.stop(); });
        // A bounded chain of main-loop work that overlaps the worker's read.
        std::function<void(int)> work = [&](int left) {
            PrivateSpaces::windowIDs({1, 3});
            PrivateSpaces::snapshot();
            env.session.switchDesktop(1, (round + left) % 2 ? 3 : 1);
            if (left > 0) env.loop.post([&work, left] { work(left - 1); });
        };
        env.loop.post([&work] { work(30); });
        env.loop.run();
        env.settle();  // the rest of the chain, before `work` goes
        ASSERT_TRUE(handle.isDone());
        const auto& snapshot = *handle.result();
        EXPECT_TRUE(snapshot.unavailable.empty() && snapshot.incomplete.empty());
        EXPECT_EQ(snapshot.appsByDesktop.at("D3").size(), 1u);  // Notes, whichever desktop is current
    }
}

}  // namespace
}  // namespace tarnwick
