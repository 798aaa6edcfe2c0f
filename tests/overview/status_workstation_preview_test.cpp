// The presenter's reasons to show and close, its traces and its timers, on virtual time.

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/effect_views.h"
#include "platform/ui/screens.h"
#include "testkit/many_displays_session.h"
#include "testkit/overview_world.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
namespace keys = platform::key_codes;
using Strings = std::vector<std::string>;
using testkit::OverviewWorld;

class PresenterTest : public ::testing::Test {
protected:
    void hoverOpen() {
        world.hoverButton();
        world.env.advance(StatusWorkstationPreview::kHoverOpenDelay);
        ASSERT_TRUE(world.shown());
    }
    ui::Menu& menu() { return *world.menu; }
    bool menuOpen() { return world.env.session.menus().openMenu() == world.menu.get(); }
    std::string lastAction() { return world.records("status-click").back().field("action"); }

    OverviewWorld world;
};

TEST_F(PresenterTest, TheButtonTheMenuAndThePanelAreWiredAtConstruction) {
    auto button = world.item->button();
    EXPECT_EQ(menu().delegate, world.preview.get());
    EXPECT_TRUE(button->action);
    EXPECT_EQ(button->actsOn(), platform::event_mask::kLeftMouseUp | platform::event_mask::kRightMouseUp);
    ASSERT_EQ(button->trackingAreas().size(), 1u);
    EXPECT_EQ(*button->trackingAreas()[0]->userInfo().at("surface").asString(), "button");
    auto* glass = dynamic_cast<ui::GlassEffectView*>(world.panel().contentView().get());
    ASSERT_TRUE(glass);
    EXPECT_EQ(glass->cornerRadius, 16);
    EXPECT_EQ(glass->contentView(), world.preview->keyboardHost());
    ASSERT_EQ(glass->trackingAreas().size(), 1u);
    EXPECT_EQ(*glass->trackingAreas()[0]->userInfo().at("surface").asString(), "preview");
    EXPECT_FALSE(world.shown());

    world.preview->dispose();
    EXPECT_EQ(menu().delegate, nullptr);
    EXPECT_FALSE(button->action);
    EXPECT_TRUE(button->trackingAreas().empty());
    EXPECT_TRUE(glass->trackingAreas().empty());
    world.clickButton(2);
    world.preview->showOverview();
    EXPECT_FALSE(world.shown());
}

TEST_F(PresenterTest, HoverOpensBelowTheButtonOnlyAfterItsDelayAndNeverWhileTheMenuIsOpen) {
    world.hoverButton();
    world.env.advance(0.34);
    EXPECT_FALSE(world.shown());
    world.moveAway();
    world.env.advance(1);
    EXPECT_FALSE(world.shown());

    // Menu open: the pointer on the button opens nothing, even after the menu closed, until it
    // has left the button and come back.
    world.rightClickButton();
    ASSERT_TRUE(menuOpen());
    world.hoverButton();
    world.env.advance(1);
    world.env.session.menus().dismiss();
    world.env.advance(1);
    EXPECT_FALSE(world.shown());
    world.moveAway();
    hoverOpen();
    EXPECT_EQ(world.panel().collectionBehavior, 337u);
    EXPECT_FALSE(world.panel().isKeyWindow());
    EXPECT_EQ(world.records("shown").back().field("reason"), "hover");
    // Below the button, the menu bar's margin winning over the 6-point gap.
    EXPECT_EQ(world.panel().frame(), Rect(1144, 389, 360, 560));  // pushed inside the right margin
}

TEST_F(PresenterTest, ASingleClickOpensTheMenuOnceTheDoubleClickIntervalHasPassed) {
    world.env.session.events().clickInterval = 0.4;
    world.clickButton();
    EXPECT_EQ(lastAction(), "wait(token: 1)");
    EXPECT_EQ(world.records("status-click").back().fields.at("eventType"), Value(2));
    // Coming back over the button while the click is pending opens no overview.
    world.moveAway();
    world.hoverButton();
    world.env.advance(0.39);
    EXPECT_FALSE(menuOpen());
    EXPECT_FALSE(world.shown());
    world.env.advance(0.01);
    EXPECT_TRUE(menuOpen());
    EXPECT_EQ(menu().location(), world.anchor().origin);
    EXPECT_EQ(world.prepared, (std::vector<bool>{false}));
    EXPECT_EQ(world.events().back(), "menu-opened");

    // A second click in time: the overview, and the menu never.
    world.env.session.menus().dismiss();
    world.clickButton(1);
    world.env.advance(0.2);
    world.clickButton(1);
    EXPECT_EQ(lastAction(), "overview");
    world.env.advance(1);
    EXPECT_FALSE(menuOpen());
    ASSERT_TRUE(world.shown());
    EXPECT_EQ(world.records("shown").back().field("reason"), "double-click");
    EXPECT_EQ(world.preview->interactionMode(), OverviewInteractionMode::explicit_);
    EXPECT_TRUE(world.panel().isKeyWindow());
}

TEST_F(PresenterTest, RightClicksKeyboardPressesAndOptionOpenTheMenuAtOnce) {
    world.env.session.holdModifiers(flags::kOption);
    world.rightClickButton();
    EXPECT_TRUE(menuOpen());
    EXPECT_EQ(lastAction(), "menu");
    EXPECT_EQ(world.records("status-click").back().fields.at("eventType"), Value(4));
    EXPECT_EQ(world.prepared, (std::vector<bool>{true}));
    EXPECT_EQ(world.records("menu-prepared").back().fields.at("testingHidden"), Value(false));
    world.env.session.menus().dismiss();
    world.env.session.releaseModifiers(flags::kOption);

    world.env.session.statusBar().pressFromKeyboard(*world.item);
    EXPECT_TRUE(menuOpen());
    EXPECT_EQ(world.records("status-click").back().fields.at("eventType"), Value(10));
    EXPECT_EQ(world.prepared.back(), false);
    EXPECT_EQ(world.records("menu-opened").back().fields.at("testingHidden"), Value(true));
    world.env.session.menus().dismiss();
    world.env.session.statusBar().pressFromKeyboard(*world.item, std::nullopt);
    EXPECT_TRUE(menuOpen());
    EXPECT_EQ(world.records("status-click").back().fields.at("eventType"), Value(0));
}

TEST_F(PresenterTest, OddClickCountsAndIntervalsAreIgnoredAndAnUnpresentableClickOnlyForgetsAPendingOne) {
    world.preview->setEnabled(false);  // the pointer rests on the button: no hovering
    world.clickButton(3);
    EXPECT_EQ(lastAction(), "ignore");
    for (double interval : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        world.env.session.events().clickInterval = interval;
        world.rightClickButton();
        EXPECT_EQ(lastAction(), "ignore");
    }
    world.env.advance(2);
    EXPECT_FALSE(menuOpen());
    EXPECT_FALSE(world.shown());

    world.env.session.events().clickInterval = 0.5;
    world.clickButton();
    world.presentable = false;
    world.clickButton();
    world.env.advance(1);
    EXPECT_FALSE(menuOpen());
    EXPECT_FALSE(world.preview->statusClicks().hasPendingMenu());
}

TEST_F(PresenterTest, TheShortcutOpensAtThePointerWithTheKeyboardAndClosesHandingFocusBack) {
    world.moveTo(Point{400, 800});
    world.pressShortcut();
    ASSERT_TRUE(world.shown());
    EXPECT_EQ(world.records("shown").back().field("reason"), "shortcut");
    EXPECT_EQ(world.panel().collectionBehavior, 330u);
    EXPECT_TRUE(world.panel().isKeyWindow());
    EXPECT_EQ(world.panel().firstResponder(), world.preview->keyboardHost().get());
    EXPECT_EQ(platform::current().workspace->frontmostApplication(), OverviewWorld::kOwnPID);
    const auto shown = world.records("shown").back().fields;
    EXPECT_EQ(shown.at("frontPIDBefore"), Value(OverviewWorld::kTerminal));
    EXPECT_EQ(shown.at("frontPIDAfter"), Value(OverviewWorld::kOwnPID));
    EXPECT_EQ(world.panel().frame(), Rect(412, 228, 360, 560));

    world.pressShortcut();
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.closings().back(), "shortcut-toggle");
    EXPECT_EQ(platform::current().workspace->frontmostApplication(), OverviewWorld::kTerminal);
    EXPECT_FALSE(world.preview->hover().isPinnedOpen());

    // With the pointer on the studio display, the panel opens there and not on the main screen.
    const auto studio = ui::screens().at(1);
    world.moveTo(Point{studio.frame.midX(), studio.frame.midY()});
    world.pressShortcut();
    ASSERT_TRUE(world.shown());
    EXPECT_TRUE(studio.visibleFrame.contains(world.panel().frame()));
}

TEST_F(PresenterTest, TheShortcutClosesAnOpenMenuFirstAndDoesNotWaitForEverForOneThatNeverSaysSo) {
    world.rightClickButton();
    ASSERT_TRUE(menuOpen());
    world.moveTo(Point{400, 500});
    world.pressShortcut();
    EXPECT_FALSE(menuOpen());
    ASSERT_TRUE(world.shown());
    EXPECT_EQ(world.records("shown").back().field("reason"), "shortcut");
    EXPECT_TRUE(world.records("menu-close-missed").empty());
    world.pressShortcut();
    ASSERT_FALSE(world.shown());

    // The menu goes away while open without telling anyone.
    world.rightClickButton();
    world.env.session.menus().loseTracking();
    ASSERT_TRUE(world.preview->hover().isMenuOpen());
    world.pressShortcut();
    EXPECT_TRUE(world.shown());
    EXPECT_FALSE(world.preview->hover().isMenuOpen());
    const auto missed = world.records("menu-close-missed");
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(missed[0].fields.at("retries"), Value(StatusWorkstationPreview::kMenuCloseRetries));
    EXPECT_FALSE(world.preview->hasScheduledWork());
}

TEST_F(PresenterTest, OutsideClicksCloseButNotThoseOnThePanelOrTheStatusButton) {
    world.preview->showOverview();
    ASSERT_TRUE(world.shown());
    EXPECT_EQ(world.records("shown").back().field("reason"), "menu");
    world.click(world.panelCentre());
    world.settle();
    EXPECT_TRUE(world.shown());
    world.click(Point{300, 200});
    world.settle();
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.closings(), (Strings{"outside-click"}));

    world.preview->showOverview();
    world.clickButton();
    world.settle();
    EXPECT_EQ(world.closings(), (Strings{"outside-click", "status-click"}));
}

TEST_F(PresenterTest, TheHoverSwitchClosesOnlyAnUnpinnedPanelAndSuspensionAlsoCancelsNavigation) {
    hoverOpen();
    world.preview->setEnabled(true);  // unchanged: nothing
    EXPECT_TRUE(world.shown());
    world.preview->setEnabled(false);
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.closings().back(), "disabled-or-suspended");
    world.hoverButton();
    world.env.advance(1);
    EXPECT_FALSE(world.shown());

    world.preview->setEnabled(true);
    world.preview->showOverview();
    world.preview->setEnabled(false);
    EXPECT_TRUE(world.shown());
    world.presentable = false;
    world.preview->setEnabled(false);
    EXPECT_FALSE(world.shown());
    world.preview->showOverview();
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.records("requested").back().fields.at("canPresent"), Value(false));
}

TEST_F(PresenterTest, ChangesOfTheButtonsWindowCloseAPanelHangingFromIt) {
    world.preview->showOverview();
    world.env.session.statusBar().setOccluded(*world.item, false);  // no change
    world.env.session.statusBar().moveWindow(*world.item, Point{1400, 957});
    world.settle();
    EXPECT_EQ(world.closings(), (Strings{"anchor-changed"}));

    // Hidden and shown again before anyone heard it: still on screen and seen, nothing changed.
    hoverOpen();
    world.env.session.statusBar().hideWindow(*world.item);
    world.item->window().orderFrontRegardless();
    world.settle();
    EXPECT_TRUE(world.shown());
    world.env.session.statusBar().setOccluded(*world.item, true);
    world.settle();
    EXPECT_EQ(world.closings().back(), "anchor-changed");

    // A panel at the pointer does not hang from the button.
    world.env.session.statusBar().setOccluded(*world.item, false);
    world.pressShortcut();
    world.env.session.statusBar().closeWindow(*world.item);
    world.settle();
    EXPECT_TRUE(world.shown());
    // With the button's window gone, showings below it are skipped: only "requested" is traced.
    world.pressShortcut();
    const auto before = world.events().size();
    world.preview->showOverview();
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.events().size(), before + 1);
    EXPECT_EQ(world.records("requested").back().fields.at("anchorVisible"), Value(false));
}

TEST_F(PresenterTest, EscapeAndLosingKeyFocusCloseAKeyboardShowing) {
    world.preview->showOverview();
    world.settle();
    ASSERT_TRUE(world.panel().isKeyWindow());
    // Shown once more while key: focus still goes back to where it was before the first showing.
    world.preview->showOverview();
    world.settle();
    world.press(keys::kEscape, 0, "\x1b");
    EXPECT_EQ(world.closings(), (Strings{"escape"}));
    EXPECT_EQ(platform::current().workspace->frontmostApplication(), OverviewWorld::kTerminal);

    world.preview->showOverview();
    world.settle();
    world.env.session.activateApplication(305);
    world.settle();
    EXPECT_EQ(world.closings().back(), "focus-left");
    EXPECT_EQ(platform::current().workspace->frontmostApplication(), 305);

    // Closed and shown anew by a double click: the late word that it resigned key is stale.
    world.preview->showOverview();
    world.settle();
    world.env.session.windowSystem().doubleClick(world.buttonCentre());
    world.settle();
    EXPECT_TRUE(world.shown());
    EXPECT_TRUE(world.panel().isKeyWindow());
    EXPECT_EQ(world.closings().back(), "status-click");

    // Escape with no view left to take it reaches the panel's cancel operation.
    world.preview->showOverview();
    world.settle();
    world.preview->keyboardHost()->command = nullptr;
    world.panel().makeFirstResponder(nullptr);
    world.press(keys::kEscape);
    EXPECT_EQ(world.closings().back(), "escape");
}

TEST_F(PresenterTest, AfterAnyCloseNoTimerOfTheOverviewIsLeft) {
    hoverOpen();
    world.moveTo(world.panelCentre());
    world.moveAway();
    EXPECT_TRUE(world.preview->hasScheduledWork());
    world.preview->close();
    EXPECT_FALSE(world.preview->hasScheduledWork());
    world.clickButton();
    EXPECT_TRUE(world.preview->hasScheduledWork());
    world.preview->close();
    EXPECT_FALSE(world.preview->hasScheduledWork());
    const auto events = world.events();
    world.env.advance(5);
    EXPECT_EQ(world.events(), events);
    EXPECT_EQ(world.closings(), (Strings{"environment-changed"}));
}

TEST(PresenterManyDisplaysTest, SixDisplaysOfSixteenDesktopsFitThePanelAndTheListScrolls) {
    OverviewWorld world(testkit::manyDisplaysSession(6, 16, 400));
    world.preview->showOverview();
    world.settle();
    ASSERT_TRUE(world.shown());
    EXPECT_LE(world.panel().frame().width(), 360);
    EXPECT_LE(world.panel().frame().height(), 560);
    const auto* last = world.desktopRow(testkit::numberedUUID(0xDE5, 96));
    ASSERT_TRUE(last);
    // The list scrolls: the last row lies below what shows of it, the first one shows.
    EXPECT_FALSE(world.host().visibleFrame(*last).isUsable());
    EXPECT_TRUE(world.host().visibleFrame(*world.desktopRow(testkit::numberedUUID(0xDE5, 1))).isUsable());
    EXPECT_EQ(world.records("shown").back().fields.at("desktops"), Value(96));
    EXPECT_EQ(world.records("shown").back().fields.at("monitors"), Value(6));
}

}  // namespace
}  // namespace tarnwick
