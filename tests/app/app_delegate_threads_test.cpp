#include <gtest/gtest.h>

#include "support/executor.h"
#include "testkit/delegate_world.h"

namespace tarnwick {
namespace {

using testkit::DelegateWorld;

// In the program the delegate's readers, workers and snapshot writer run on threads of their
// own. They belong to the delegate: when it goes, their threads end with it, before the main
// loop they post to (run under the thread and address sanitizers in CI).
TEST(AppDelegateThreadsTest, ItsWorkerThreadsEndWithItWhileReadsAreUnderWay) {
    for (int round = 0; round < 5; ++round) {
        DelegateWorld world(DelegateWorld::Names{{DelegateWorld::kDesktop4, "Code"}});
        ExecutorFactoryScope threads([](const std::string& label) { return std::make_shared<ThreadExecutor>(label); });
        auto& delegate = world.launch();
        ASSERT_TRUE(delegate.prototype().isRunning());
        world.env.session.openMissionControl();
        // Polls start geometry reads on the reader's thread; banners load apps on the loader's.
        for (int step = 0; step < 4 + round; ++step) world.env.advance(0.05);
        delegate.settings().update([](AppPreferences& p) { p.bannerScale = 1.25; });
        delegate.writePermissionDiagnostics("launch");
        platform::current().application->terminate();
        world.delegate.reset();
        world.settle();
    }
}

}  // namespace
}  // namespace tarnwick
