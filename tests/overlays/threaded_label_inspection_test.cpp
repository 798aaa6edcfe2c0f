#include <functional>

#include <gtest/gtest.h>

#include "model/mission_control_visibility.h"
#include "testkit/label_world.h"

namespace tarnwick {
namespace {

// In the program the geometry read and the caption reads run on their own threads while the
// main loop polls the session; the inspection of the saved labels must see whole states (run
// under the thread sanitizer in CI).
TEST(ThreadedLabelInspectionTest, ReadsGeometryAndCaptionsOnTheirThreadsWhileTheMainLoopPolls) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.openMissionControl();
    std::unique_ptr<MissionControlGeometryReader> reader;
    {
        ExecutorFactoryScope threads([](const std::string& label) { return std::make_shared<ThreadExecutor>(label); });
        reader = std::make_unique<MissionControlGeometryReader>();
    }
    LabelRecognitionWorker worker(std::make_shared<ThreadExecutor>("label recognition"));
    DesktopNamesModel model;
    LabelPrototype controller(
        [&model](bool force) {
            model.refresh(force);
            return LabelConfiguration{model.monitors.get(), {{testkit::LabelWorld::kDesktop4, "Code"}}};
        },
        LabelPrototypeServices{reader.get(), {&worker}, nullptr});
    for (int round = 0; round < 10; ++round) {
        auto handle = spawn(controller.inspectConfiguredLabels(false));
        handle.onCompletion([&] { env.loop.stop(); });
        std::function<void(int)> poll = [&](int left) {
            MissionControlVisibility::isVisible(MissionControlVisibility::currentSnapshot());
            env.session.platform().screenCapture->getShareableContent(true, true, [](auto, auto) {});
            if (left > 0) env.loop.post([&poll, left] { poll(left - 1); });
        };
        env.loop.post([&poll] { poll(30); });
        env.loop.run();
        env.settle();
        ASSERT_TRUE(handle.isDone());
        const Value& result = *handle.result();
        ASSERT_TRUE(result.find("bars")) << describe(result);
        EXPECT_EQ(result.find("bars")->asArray()->size(), 1u);
    }
}

}  // namespace
}  // namespace tarnwick
