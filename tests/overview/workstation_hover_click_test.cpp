#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "overview/workstation_hover_state.h"
#include "overview/workstation_status_click_state.h"

namespace tarnwick {
namespace {

using Action = WorkstationStatusClickState::Action;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(WorkstationHoverStateTest, HoverOpensOnlyWithTheLatestTokenAndThePointerOnTheButton) {
    WorkstationHoverState hover;
    const auto token = hover.enterButton();
    EXPECT_TRUE(hover.shouldOpen(token));
    EXPECT_FALSE(hover.shouldOpen(token - 1));

    hover.enterPreview();  // any later change makes the scheduled check stale
    EXPECT_FALSE(hover.shouldOpen(token));

    WorkstationHoverState off;
    off.setEnabled(false);
    EXPECT_FALSE(off.shouldOpen(off.enterButton()));
}

TEST(WorkstationHoverStateTest, AfterTheMenuClosesOverTheButtonThePointerMustLeaveAndComeBack) {
    WorkstationHoverState hover;
    hover.enterButton();
    hover.menuWillOpen();
    EXPECT_TRUE(hover.isMenuOpen());
    EXPECT_FALSE(hover.buttonInside());

    hover.menuDidClose(true);
    EXPECT_FALSE(hover.isMenuOpen());
    EXPECT_TRUE(hover.needsFreshEntry());
    EXPECT_FALSE(hover.shouldOpen(hover.enterButton()));

    hover.leaveButton();
    EXPECT_TRUE(hover.shouldOpen(hover.enterButton()));
}

TEST(WorkstationHoverStateTest, TheMenuClosingAwayFromTheButtonLiftsTheRuleAndBumpsTwice) {
    WorkstationHoverState hover;
    hover.menuWillOpen();
    const auto before = hover.generation();
    hover.menuDidClose();
    EXPECT_EQ(hover.generation(), before + 2);
    EXPECT_FALSE(hover.needsFreshEntry());
    EXPECT_TRUE(hover.shouldOpen(hover.enterButton()));

    WorkstationHoverState inside;
    inside.menuWillOpen();
    const auto start = inside.generation();
    inside.menuDidClose(true);
    EXPECT_EQ(inside.generation(), start + 1);
}

TEST(WorkstationHoverStateTest, AnUnchangedSwitchKeepsAPendingCheckValid) {
    WorkstationHoverState hover;
    const auto token = hover.enterButton();
    hover.setEnabled(true);
    EXPECT_TRUE(hover.shouldOpen(token));

    hover.setEnabled(false);
    EXPECT_EQ(hover.generation(), token + 1);
    EXPECT_FALSE(hover.buttonInside());
}

TEST(WorkstationHoverStateTest, TheSwitchForgetsThePointerOnlyWhenNotPinned) {
    WorkstationHoverState pinned(true);
    pinned.enterButton();
    pinned.enterPreview();
    pinned.setEnabled(false);
    EXPECT_TRUE(pinned.buttonInside());
    EXPECT_TRUE(pinned.previewInside());
    EXPECT_TRUE(pinned.isPinnedOpen());
}

TEST(WorkstationHoverStateTest, APinnedPanelStaysUntilResetAndThenClosesWhenThePointerIsAway) {
    WorkstationHoverState hover;
    hover.pinOpen();
    const auto token = hover.leavePreview();
    EXPECT_FALSE(hover.shouldClose(token));

    hover.reset();
    EXPECT_FALSE(hover.isPinnedOpen());
    EXPECT_TRUE(hover.shouldClose(hover.generation()));
    hover.enterPreview();
    EXPECT_FALSE(hover.shouldClose(hover.generation()));
}

TEST(WorkstationHoverStateTest, ClosingByShortcutOverTheButtonRequiresAnExit) {
    WorkstationHoverState hover;
    hover.enterButton();
    hover.pinOpen();
    hover.closeShortcut(true);
    EXPECT_TRUE(hover.needsFreshEntry());
    EXPECT_FALSE(hover.isPinnedOpen());
    EXPECT_FALSE(hover.shouldOpen(hover.enterButton()));

    hover.closeShortcut(false);
    EXPECT_TRUE(hover.shouldOpen(hover.enterButton()));
}

TEST(WorkstationStatusClickStateTest, ASingleClickWaitsAndTheMenuComesExactlyAtTheDeadline) {
    WorkstationStatusClickState click;
    const Action action = click.mouseUp(10.0, 0.5, 1, false, true);
    ASSERT_EQ(action.kind(), Action::Kind::wait);
    EXPECT_EQ(action, Action::wait(click.generation()));
    EXPECT_EQ(action.description(), "wait(token: 1)");
    EXPECT_TRUE(click.hasPendingMenu());
    EXPECT_TRUE(click.revealTesting());

    EXPECT_FALSE(click.takeMenu(action.token(), 10.499));
    EXPECT_EQ(click.generation(), action.token());
    EXPECT_FALSE(click.takeMenu(action.token(), kNaN));
    EXPECT_TRUE(click.takeMenu(action.token(), 10.5));
    EXPECT_EQ(click.generation(), action.token() + 1);
    EXPECT_FALSE(click.hasPendingMenu());
    EXPECT_TRUE(click.revealTesting());
    EXPECT_FALSE(click.takeMenu(action.token(), 11));
}

TEST(WorkstationStatusClickStateTest, ASecondClickInTimeOpensTheOverviewAndTheMenuCheckGoesStale) {
    WorkstationStatusClickState click;
    const Action first = click.mouseUp(10.0, 0.5, 1);
    EXPECT_EQ(click.mouseUp(10.5, 0.5, 1), Action::overview());
    EXPECT_FALSE(click.takeMenu(first.token(), 11));

    // After the deadline a click starts over; a count of 2 is a double click whatever the time.
    click.mouseUp(20.0, 0.5, 1);
    EXPECT_EQ(click.mouseUp(20.6, 0.5, 1).kind(), Action::Kind::wait);
    EXPECT_EQ(click.mouseUp(100.0, 0.5, 2), Action::overview());
    EXPECT_FALSE(click.revealTesting());
}

TEST(WorkstationStatusClickStateTest, AClickBeforeThePendingFirstClickIsNotADoubleClick) {
    WorkstationStatusClickState click;
    click.mouseUp(10.0, 0.5, 1);
    const Action earlier = click.mouseUp(9.9, 0.5, 1);
    EXPECT_EQ(earlier.kind(), Action::Kind::wait);
    EXPECT_EQ(click.firstClick(), 9.9);
}

TEST(WorkstationStatusClickStateTest, TripleClicksChangeNothingNotEvenTheGeneration) {
    WorkstationStatusClickState click;
    const Action first = click.mouseUp(10.0, 0.5, 1, false, true);
    EXPECT_EQ(click.mouseUp(10.1, 0.5, 3), Action::ignore());
    EXPECT_EQ(click.generation(), first.token());
    EXPECT_TRUE(click.revealTesting());
    EXPECT_TRUE(click.takeMenu(first.token(), 10.5));
}

TEST(WorkstationStatusClickStateTest, AnUnusableIntervalOrTimeIgnoresEveryClickAndClearsTheState) {
    for (double interval : {0.0, -1.0, kNaN, kInfinity}) {
        WorkstationStatusClickState click(true);
        const Action first = click.mouseUp(10.0, 0.5, 1);
        EXPECT_EQ(click.mouseUp(10.1, interval, 1), Action::ignore());
        EXPECT_EQ(click.mouseUp(10.1, interval, 1, true, true), Action::ignore());
        EXPECT_FALSE(click.hasPendingMenu());
        EXPECT_FALSE(click.revealTesting());
        EXPECT_GT(click.generation(), first.token());
    }
    WorkstationStatusClickState click;
    EXPECT_EQ(click.mouseUp(kNaN, 0.5, 2), Action::ignore());
    EXPECT_EQ(click.generation(), 1);
}

TEST(WorkstationStatusClickStateTest, RightClicksAndMenuRequestsShowTheMenuAtOnceAndTakeOptionFromEitherSource) {
    WorkstationStatusClickState click;
    const Action first = click.mouseUp(10.0, 0.5, 1);
    EXPECT_EQ(click.mouseUp(10.1, 0.5, 5, true, false, true), Action::menu());
    EXPECT_TRUE(click.revealTesting());
    EXPECT_FALSE(click.hasPendingMenu());
    EXPECT_FALSE(click.takeMenu(first.token(), 11));

    EXPECT_EQ(click.requestMenu(), Action::menu());
    EXPECT_FALSE(click.revealTesting());
    EXPECT_EQ(click.requestMenu(true), Action::menu());
    EXPECT_TRUE(click.revealTesting());
    EXPECT_EQ(Action::menu().description(), "menu");
    EXPECT_EQ(Action::overview().description(), "overview");
    EXPECT_EQ(Action::ignore().description(), "ignore");
}

TEST(WorkstationStatusClickStateTest, CancelDropsThePendingClickButKeepsTheOptionKey) {
    WorkstationStatusClickState click;
    const Action first = click.mouseUp(10.0, 0.5, 1, false, true);
    click.cancel();
    EXPECT_FALSE(click.hasPendingMenu());
    EXPECT_TRUE(click.revealTesting());
    EXPECT_FALSE(click.takeMenu(first.token(), 11));
    EXPECT_FALSE(click.takeMenu(click.generation(), 11));
}

}  // namespace
}  // namespace tarnwick
