#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "model/mission_control_visibility.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"
#include "platform/ui/screens.h"
#include "platform/ui/text_label.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace keys = platform::window_list;
using testkit::TestEnvironment;

struct ClickableView : ui::View {
    using View::View;
    bool firstMouse = true;
    std::vector<ui::MouseEvent> downs;
    bool acceptsFirstMouse(const ui::MouseEvent&) override { return firstMouse; }
    void mouseDown(const ui::MouseEvent& event) override { downs.push_back(event); }
};

class PanelTest : public ::testing::Test {
protected:
    PanelTest() { env.session.loadDefaultSession(); }

    std::unique_ptr<ui::Panel> makePanel(Rect frame, int level, std::string title = "Panel") {
        auto panel = std::make_unique<ui::Panel>(frame, ui::style_mask::kNonactivatingPanel);
        panel->setTitle(std::move(title));
        panel->setLevel(level);
        return panel;
    }
    // Our entries of the on-screen window list, front to back.
    std::vector<Dictionary> ourWindows() {
        std::vector<Dictionary> ours;
        auto list = MissionControlVisibility::currentSnapshot();
        for (const auto& entry : *list->asArray())
            if (entry.find(keys::kOwnerName) && *entry.find(keys::kOwnerName)->asString() == "Tarnwick")
                ours.push_back(*entry.asDictionary());
        return ours;
    }

    TestEnvironment env;
    sim::SimWindowSystem& windows() { return env.session.windowSystem(); }
};

TEST_F(PanelTest, TheWindowListShowsOurShownPanelsFrontToBackWithLevelFrameAndAlpha) {
    auto low = makePanel(Rect(100, 200, 120, 44), 3, "Low");
    auto high = makePanel(Rect(0, 0, 50, 50), 1000, "High");
    EXPECT_TRUE(ourWindows().empty());  // made but not ordered in
    low->orderFrontRegardless();
    high->orderFrontRegardless();
    low->setAlphaValue(0.5);

    auto ours = ourWindows();
    ASSERT_EQ(ours.size(), 2u);
    EXPECT_EQ(ours[0][keys::kName], Value("High"));
    EXPECT_EQ(ours[1][keys::kLayer], Value(3));
    EXPECT_EQ(ours[1][keys::kAlpha], Value(0.5));
    EXPECT_EQ(ours[1][keys::kOwnerPID], Value(4242));
    // Window-server space: y down from the primary screen's top (982 points tall).
    EXPECT_EQ(*ours[1][keys::kBounds].find("Y"), Value(982.0 - 244.0));
    EXPECT_EQ(*ours[1][keys::kBounds].find("X"), Value(100.0));

    // The level-1000 panel lies in front of the system's windows, the level-3 one behind them.
    auto list = *MissionControlVisibility::currentSnapshot()->asArray();
    EXPECT_EQ(*list.front().find(keys::kName), Value("High"));

    high.reset();
    EXPECT_EQ(ourWindows().size(), 1u);
    low->orderOut();
    EXPECT_TRUE(ourWindows().empty());
    EXPECT_EQ(windows().panels().size(), 1u);  // still listed while it exists, off screen
}

TEST_F(PanelTest, OrderingFrontMovesAPanelBeforeOthersOfItsLevel) {
    auto a = makePanel(Rect(0, 0, 10, 10), 3, "A");
    auto b = makePanel(Rect(0, 0, 10, 10), 3, "B");
    a->orderFrontRegardless();
    b->orderFrontRegardless();
    EXPECT_EQ(windows().onScreenPanels(), (std::vector<ui::Panel*>{b.get(), a.get()}));
    a->orderFrontRegardless();
    EXPECT_EQ(windows().onScreenPanels(), (std::vector<ui::Panel*>{a.get(), b.get()}));
}

TEST_F(PanelTest, FadesRunOnTheLoopClockAndEveryEndRunsTheCompletion) {
    auto panel = makePanel(Rect(0, 0, 10, 10), 3);
    panel->setAlphaValue(0);
    int finished = 0;
    panel->animateAlpha(1, 0.2, [&] { ++finished; });
    ASSERT_TRUE(panel->alphaAnimation());
    EXPECT_EQ(panel->alphaAnimation()->duration, 0.2);
    env.advance(0.1);
    EXPECT_NEAR(panel->alphaValue(), 0.5, 1e-9);
    env.advance(0.1);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(panel->alphaAnimation());
    EXPECT_EQ(panel->alphaValue(), 1);

    // Replaced by another fade: the first completion runs, the second starts from where it was.
    panel->animateAlpha(0, 0.2, [&] { finished += 10; });
    env.advance(0.05);
    panel->animateAlpha(1, 0, [&] { finished += 100; });
    EXPECT_EQ(panel->alphaValue(), 1);
    env.settle();
    EXPECT_EQ(finished, 111);

    // Set directly: the fade ends and its completion still runs (later).
    panel->animateAlpha(0, 1, [&] { finished += 1000; });
    panel->setAlphaValue(0.25);
    EXPECT_EQ(finished, 111);
    env.settle();
    EXPECT_EQ(finished, 1111);
    EXPECT_EQ(panel->alphaValue(), 0.25);
}

TEST_F(PanelTest, AClickGoesToTheTopmostPanelThatTakesTheMouseElsePastOurPanels) {
    auto back = makePanel(Rect(100, 100, 200, 100), 3, "Back");
    auto front = makePanel(Rect(150, 120, 50, 50), 1000, "Front");
    auto backView = std::make_shared<ClickableView>();
    auto frontView = std::make_shared<ClickableView>();
    back->setContentView(backView);
    front->setContentView(frontView);
    back->orderFrontRegardless();
    front->orderFrontRegardless();

    auto click = windows().click({160, 130}, platform::modifier_flags::kOption, 2);
    EXPECT_EQ(click.panel, front.get());
    ASSERT_EQ(frontView->downs.size(), 1u);
    EXPECT_EQ(frontView->downs[0].locationInWindow, (Point{10, 10}));
    EXPECT_EQ(frontView->downs[0].clickCount, 2);
    EXPECT_EQ(frontView->downs[0].modifierFlags, platform::modifier_flags::kOption);

    front->setIgnoresMouseEvents(true);
    EXPECT_EQ(windows().click({160, 130}).panel, back.get());
    backView->firstMouse = false;  // the window is not key: a view that refuses first clicks gets none
    auto refused = windows().click({160, 130});
    EXPECT_EQ(refused.panel, back.get());
    EXPECT_EQ(refused.view, nullptr);
    EXPECT_EQ(backView->downs.size(), 1u);

    back->orderOut();
    auto past = windows().click({160, 130});
    EXPECT_TRUE(past.wentPastPanels());
    ASSERT_EQ(windows().clicksPastPanels().size(), 1u);
    EXPECT_EQ(windows().pointerLocation(), (Point{160, 130}));
}

TEST_F(PanelTest, TestsFindPanelsByTitleLabelShownTextAndDisplay) {
    auto panel = makePanel(Rect(1600, 300, 120, 44), 3, "Space Name");
    panel->setAccessibilityLabel("Desktop banner");
    panel->contentView()->addSubview(std::make_shared<ui::TextLabel>("Work"));
    EXPECT_EQ(windows().panelTitled("Space Name"), panel.get());
    EXPECT_EQ(windows().panelLabelled("Desktop banner"), panel.get());
    EXPECT_EQ(windows().panelShowing("Work"), nullptr);  // not shown yet
    panel->orderFrontRegardless();
    EXPECT_EQ(windows().panelShowing("Work"), panel.get());
    EXPECT_EQ(windows().panelsOnDisplay(2), std::vector<ui::Panel*>{panel.get()});
    EXPECT_TRUE(windows().panelsOnDisplay(1).empty());
}

TEST_F(PanelTest, TheMainScreenIsTheKeyWindowsScreenElseTheFirst) {
    ASSERT_TRUE(ui::mainScreen());
    EXPECT_EQ(ui::displayID(*ui::mainScreen()), 1u);
    auto panel = std::make_unique<ui::Panel>(Rect(1700, 300, 300, 200), ui::style_mask::kTitled);
    panel->makeKeyAndOrderFront();
    EXPECT_TRUE(panel->isKeyWindow());
    EXPECT_EQ(ui::displayID(*ui::mainScreen()), 2u);
    panel.reset();
    EXPECT_EQ(ui::displayID(*ui::mainScreen()), 1u);
    // A panel that cannot become key stays out of it.
    auto nonactivating = makePanel(Rect(1700, 300, 300, 200), 3);
    nonactivating->makeKeyAndOrderFront();
    EXPECT_FALSE(nonactivating->isKeyWindow());
}

TEST_F(PanelTest, APointIsOnTheScreenWhoseFrameHoldsItAndASharedEdgeIsTheLaterScreens) {
    const auto at = [](Point point) -> std::optional<std::uint32_t> {
        const auto screen = ui::screenAt(point);
        return screen ? ui::displayID(*screen) : std::nullopt;
    };
    EXPECT_EQ(at({1511.5, 500}), 1u);
    // A frame holds its minimum edges, not its maximum ones.
    EXPECT_EQ(at({1512, 500}), 2u);
    EXPECT_EQ(at({500, 1000}), std::nullopt);  // above the built-in display, beside the taller one
}

TEST_F(PanelTest, CursorRectanglesAreRebuiltForAViewOnRequest) {
    struct HandView : ui::View {
        using View::View;
        void resetCursorRects() override {
            if (window() && !window()->ignoresMouseEvents()) addCursorRect(bounds(), ui::Cursor::pointingHand);
        }
    };
    auto panel = makePanel(Rect(0, 0, 120, 44), 1000);
    auto view = std::make_shared<HandView>();
    panel->setContentView(view);
    panel->setIgnoresMouseEvents(true);
    panel->invalidateCursorRects(*view);
    EXPECT_TRUE(view->cursorRects().empty());
    panel->setIgnoresMouseEvents(false);
    panel->invalidateCursorRects(*view);
    EXPECT_EQ(view->cursorRects(), (std::vector<ui::CursorRect>{{Rect(0, 0, 120, 44), ui::Cursor::pointingHand}}));
}

TEST_F(PanelTest, APanelThatOutlivesItsSessionNoLongerReportsToIt) {
    std::unique_ptr<ui::Panel> survivor;
    {
        TestEnvironment inner;
        survivor = std::make_unique<ui::Panel>(Rect(0, 0, 10, 10), 0);
    }
    survivor->setTitle("after");  // must not touch the destroyed session
    SUCCEED();
}

}  // namespace
}  // namespace tarnwick
