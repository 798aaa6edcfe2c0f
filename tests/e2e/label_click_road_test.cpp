// A name label in a Mission Control panel, clicked by the user with modifiers.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overlays/frosted_label_view.h"
#include "overlays/label_reveal.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;

TEST(LabelClickRoadTest, OptionClicksOnALabelThatTakesTheMouseStartAndAskForARename) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    auto& windows = env.session.windowSystem();
    ApplicationIconCache icons{[] { return 0.0; }, [](const std::string&) { return std::nullopt; }};

    ui::Panel panel(Rect(300, 500, 160, 30), ui::style_mask::kNonactivatingPanel);
    panel.setLevel(ui::window_level::kMissionControl);
    panel.collectionBehavior = 337;
    panel.setIgnoresMouseEvents(false);
    auto label = std::make_shared<FrostedLabelView>(Rect(0, 0, 1, 1), &icons);
    label->setContainerShape(FrostedLabelView::ContainerShape::roundedRectangle);
    label->configure("Work", 13, 2);
    panel.setContentView(label);
    std::vector<std::string> calls;
    label->quickRenameBegan = [&] { calls.push_back("began"); };
    label->quickRename = [&] { calls.push_back("rename"); };
    panel.orderFrontRegardless();
    panel.invalidateCursorRects(*label);
    EXPECT_EQ(label->cursorRects(), (std::vector<ui::CursorRect>{{Rect(0, 0, 160, 30), ui::Cursor::pointingHand}}));

    const Point centre{380, 515};
    auto first = windows.click(centre, flags::kOption, 1);
    EXPECT_EQ(first.view, label.get());
    windows.click(centre, flags::kOption, 2);
    windows.click(centre, flags::kOption | flags::kShift, 2);
    windows.click(centre, 0, 1);
    EXPECT_EQ(calls, (std::vector<std::string>{"began", "rename"}));

    // While the panel ignores the mouse the click goes past it, and the hand is gone.
    panel.setIgnoresMouseEvents(true);
    panel.invalidateCursorRects(*label);
    EXPECT_TRUE(label->cursorRects().empty());
    EXPECT_TRUE(windows.click(centre, flags::kOption, 2).wentPastPanels());
    EXPECT_EQ(calls.size(), 2u);

    // A reveal removes its mask 0.14 s later.
    ASSERT_TRUE(label->revealFromLeft());
    env.advance(LabelReveal::duration - 0.01);
    EXPECT_TRUE(label->isRevealing());
    env.advance(0.01);
    EXPECT_FALSE(label->isRevealing());
}

}  // namespace
}  // namespace tarnwick
