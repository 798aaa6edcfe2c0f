#include <functional>

#include <gtest/gtest.h>

#include "overlays/label_locator.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

// In the program every caption read runs on the recognition worker's thread while the main loop
// captures other bars and changes the session; reads must see whole states (run under the
// thread sanitizer in CI).
TEST(ThreadedLocatorTest, ReadsOnTheWorkersThreadWhileTheMainLoopGoesOn) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.openMissionControl();
    LabelRecognitionWorker worker(std::make_shared<ThreadExecutor>("label recognition"));
    for (int round = 0; round < 10; ++round) {
        auto handle = spawn(LabelLocator::inspect(std::nullopt, std::nullopt, std::vector<Rect>{Rect(0, 0, 900, 982)},
                                                  false, 1, {}, LabelLocatorServices{&worker}));
        handle.onCompletion([&] { env.loop.stop(); });
        std::function<void(int)> work = [&](int left) {
            env.session.switchDesktop(1, left % 2 ? 3 : 1);
            env.session.platform().screenCapture->getShareableContent(true, true, [](auto, auto) {});
            if (left > 0) env.loop.post([&work, left] { work(left - 1); });
        };
        env.loop.post([&work] { work(30); });
        env.loop.run();
        env.settle();
        ASSERT_TRUE(handle.isDone());
        const Value& result = *handle.result();
        ASSERT_TRUE(result.find("bars")) << describe(result);
        ASSERT_EQ(result.find("bars")->asArray()->size(), 2u);
        for (const auto& bar : *result.find("bars")->asArray()) EXPECT_FALSE(bar.find("error")) << describe(bar);
    }
    EXPECT_EQ(env.session.capture.mostRecognitionsInFlight, 1);
}

}  // namespace
}  // namespace tarnwick
