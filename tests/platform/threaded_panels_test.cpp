#include <thread>

#include <gtest/gtest.h>

#include "platform/ui/panel.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

// The window list is read from worker threads (the app reader) while the main loop makes,
// moves, fades and destroys our panels and the user switches desktops under them; the list must
// show whole panels (run under the thread sanitizer in CI).
TEST(ThreadedPanelsTest, AWindowListReadOnAnotherThreadSeesWholePanels) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    auto& server = *env.session.platform().windowServer;
    std::thread reader([&] {
        for (int read = 0; read < 200; ++read) {
            auto list = server.copyWindowList(0, 0);
            for (const auto& entry : *list->asArray()) {
                const Value* alpha = entry.find("kCGWindowAlpha");
                ASSERT_TRUE(alpha && alpha->toDouble());
            }
        }
    });
    for (int round = 0; round < 200; ++round) {
        platform::ui::Panel panel(Rect(round, 10, 100, 40), platform::ui::style_mask::kNonactivatingPanel);
        panel.setLevel(round % 2 ? 3 : 1000);
        // One that stays on its desktop, or one on every desktop, while the user switches.
        panel.collectionBehavior = round % 2 ? 330 : 337;
        panel.orderFrontRegardless();
        if (round % 10 == 0) env.session.switchDesktop(1, round % 20 ? 3 : 1);
        panel.setAlphaValue(0);
        panel.animateAlpha(1, 0.1);
        panel.setFrame(Rect(round, 20, 120, 44), true);
        env.advance(0.05);
        panel.orderOut();
    }
    reader.join();
}

}  // namespace
}  // namespace tarnwick
