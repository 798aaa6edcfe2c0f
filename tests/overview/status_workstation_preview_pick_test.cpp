// A pick in the overview: what closes, what navigation does and how a failure comes back.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applications/application_window_focus.h"
#include "testkit/overview_world.h"

namespace tarnwick {
namespace {

using Strings = std::vector<std::string>;
using testkit::OverviewWorld;
using Failure = ApplicationWindowFocus::Failure;

class PickTest : public ::testing::Test {
protected:
    // Opens the overview from the menu item and picks a desktop's row with the pointer.
    void pick(const std::string& desktopID) {
        world.preview->showOverview();
        world.settle();
        const auto* row = world.desktopRow(desktopID);
        ASSERT_TRUE(row) << desktopID;
        world.click(world.onScreen(*row));
    }
    OverviewWorld world;
};

TEST_F(PickTest, ADesktopThatVanishedKeepsThePanelOpenWithItsSentence) {
    world.preview->showOverview();
    world.settle();
    const auto* row = world.desktopRow(OverviewWorld::kNotesDesktop);
    ASSERT_TRUE(row);
    const Point where = world.onScreen(*row);
    ASSERT_TRUE(world.env.session.removeDesktop(1, 3));
    world.click(where);
    EXPECT_TRUE(world.shown());
    EXPECT_EQ(world.preview->selectionStatus().errorMessage.get(), StatusWorkstationPreview::kDesktopChanged);
    EXPECT_FALSE(world.preview->isNavigating());
    EXPECT_TRUE(world.closings().empty());
}

TEST_F(PickTest, APickClosesThePanelAndNothingOpensWhileItsNavigationRuns) {
    pick(OverviewWorld::kMailDesktop);
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.closings(), (Strings{"space-selected"}));
    EXPECT_TRUE(world.preview->isNavigating());

    // Hovering, the menu item and the shortcut open nothing meanwhile (a click on the button
    // would close with "status-click", which ends the pick).
    world.hoverButton();
    world.env.advance(0.4);
    world.preview->showOverview();
    world.pressShortcut();
    EXPECT_FALSE(world.shown());
    world.settle();
    EXPECT_EQ(world.records("requested").size(), 4u);
    EXPECT_EQ(world.records("shown").size(), 1u);

    world.env.advance(5);
    EXPECT_FALSE(world.preview->isNavigating());
    EXPECT_EQ(world.env.session.display(2)->currentSpace, 6u);
    const auto verified = world.records("space-switch-verified");
    ASSERT_EQ(verified.size(), 1u);
    EXPECT_EQ(verified[0].field("monitor"), OverviewWorld::kStudio);
    EXPECT_EQ(verified[0].field("uuid"), OverviewWorld::kMailDesktop);
    EXPECT_EQ(verified[0].fields.at("spaceID"), Value(6));
}

TEST_F(PickTest, AFailedNavigationOpensThePanelWhereItWasWithTheSentenceAndFocusOnThePick) {
    world.env.session.accessibilityTrusted = false;
    const Rect before = world.panel().frame();
    pick(OverviewWorld::kMailDesktop);
    const Rect shownAt = world.panel().frame();
    EXPECT_NE(shownAt, before);
    world.env.advance(1);
    ASSERT_TRUE(world.shown());
    EXPECT_EQ(world.panel().frame(), shownAt);
    EXPECT_EQ(world.records("shown").back().field("reason"), "navigation-error");
    EXPECT_EQ(world.preview->interactionMode(), OverviewInteractionMode::explicit_);
    EXPECT_TRUE(world.preview->hover().isPinnedOpen());
    EXPECT_EQ(world.preview->selectionStatus().errorMessage.get(), Failure::sentence(Failure::Case::access));
    EXPECT_TRUE(world.host().findText(Failure::sentence(Failure::Case::access)));
    world.settle();
    EXPECT_EQ(world.preview->keyboardHost()->rootView().keyboardSelection.get(),
              OverviewFocusTarget::desktop(OverviewWorld::kMailDesktop));
    const auto failed = world.records("space-switch-failed");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].field("uuid"), OverviewWorld::kMailDesktop);
    EXPECT_FALSE(world.preview->isNavigating());

    // Backing out of the panel shown again gives focus back to the app that had it before the pick.
    world.press(platform::key_codes::kEscape, 0, "\x1b");
    EXPECT_EQ(world.closings().back(), "escape");
    EXPECT_EQ(platform::current().workspace->frontmostApplication(), OverviewWorld::kTerminal);

    // The next pick starts with the error cleared.
    world.env.session.accessibilityTrusted = true;
    pick(OverviewWorld::kStudioThird);
    EXPECT_EQ(world.preview->selectionStatus().errorMessage.get(), std::nullopt);
}

TEST_F(PickTest, ACloseThatCancelsNavigationLeavesNoErrorBehind) {
    // A switch that never lands would fail after its time limit.
    world.env.session.navigation.switchDelay.reset();
    pick(OverviewWorld::kMailDesktop);
    world.env.advance(0.5);
    world.rightClickButton();  // the menu opens: navigation is cancelled
    ASSERT_TRUE(world.menu->isOpen());
    EXPECT_FALSE(world.preview->isNavigating());
    world.env.session.menus().dismiss();
    world.env.advance(10);
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.preview->selectionStatus().errorMessage.get(), std::nullopt);
    EXPECT_TRUE(world.records("space-switch-failed").empty());

    // Suspension while a pick runs cancels it as silently.
    pick(OverviewWorld::kStudioThird);
    world.presentable = false;
    world.preview->setEnabled(true);
    EXPECT_FALSE(world.preview->isNavigating());
    world.env.advance(10);
    EXPECT_TRUE(world.records("space-switch-failed").empty());
    EXPECT_TRUE(world.records("space-switch-verified").empty());
}

}  // namespace
}  // namespace tarnwick
