// The Workstation Overview as the user meets it from the menu bar and the keyboard: the status
// item, its menu, the global shortcut and the presenter wired as the application delegate wires
// them, over the built-in session's two displays, on virtual time.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applications/application_window_focus.h"
#include "banner/space_banner_controller.h"
#include "model/overview_shortcut_store.h"
#include "overview/overview_shortcut_control.h"
#include "overview/shortcut_recorder.h"
#include "platform/sim/sim_hot_keys.h"
#include "platform/ui/declarative/hosting_view.h"
#include "testkit/overview_world.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
namespace keys = platform::key_codes;
using Strings = std::vector<std::string>;
using Target = OverviewFocusTarget;
using testkit::OverviewWorld;

constexpr std::uint16_t kKeyO = 31;
constexpr std::uint16_t kKeyA = 0;
constexpr platform::ModifierFlags kControlOptionCommand = flags::kControl | flags::kOption | flags::kCommand;

class OverviewPresenterRoadsTest : public ::testing::Test {
protected:
    WorkstationPreviewView& view() { return world.preview->keyboardHost()->rootView(); }
    std::optional<Target> selection() { return view().keyboardSelection.get(); }
    std::optional<std::int32_t> frontmost() { return platform::current().workspace->frontmostApplication(); }
    // Tab until the keyboard selection is the target; false when it never comes.
    bool tabTo(const Target& target) {
        for (int i = 0; i < 200 && selection() != target; ++i) world.press(keys::kTab, 0, "\t");
        return selection() == target;
    }
    bool menuOpen() { return world.env.session.menus().openMenu() == world.menu.get(); }

    OverviewWorld world;
};

TEST_F(OverviewPresenterRoadsTest, HoveringOverTheButtonOpensBelowItAndLeavingBothClosesIt) {
    world.hoverButton();
    world.env.advance(0.35);
    ASSERT_TRUE(world.shown());
    EXPECT_EQ(world.panel().collectionBehavior, 337u);
    EXPECT_FALSE(world.panel().isKeyWindow());
    EXPECT_EQ(frontmost(), OverviewWorld::kTerminal);
    EXPECT_LT(world.panel().frame().maxY(), world.anchor().minY());
    EXPECT_EQ(world.env.session.windowSystem().panelShowing("Workstation"), &world.panel());

    // Into the panel in time: it stays.
    world.env.advance(0.1);
    world.moveTo(world.panelCentre());
    world.env.advance(1);
    EXPECT_TRUE(world.shown());

    world.moveAway();
    world.env.advance(0.21);
    EXPECT_TRUE(world.shown());
    world.env.advance(0.01);
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.closings(), (Strings{"pointer-left"}));
}

TEST_F(OverviewPresenterRoadsTest, TheShortcutTabAndReturnSwitchToADesktopOnTheOtherDisplay) {
    SpaceBannerController banner(world.model, world.settings, SpaceBannerServices{&world.loader, &world.icons});
    banner.start();
    world.moveTo(Point{600, 700});
    world.pressShortcut();
    world.settle();
    ASSERT_TRUE(world.shown());
    EXPECT_EQ(world.panel().collectionBehavior, 330u);
    EXPECT_TRUE(world.panel().isKeyWindow());
    EXPECT_EQ(frontmost(), OverviewWorld::kOwnPID);
    ASSERT_FALSE(view().focusOrder().empty());
    EXPECT_EQ(selection(), view().focusOrder().front());

    ASSERT_TRUE(tabTo(Target::desktop(OverviewWorld::kStudioThird)));
    const int launches = world.env.session.navigation.missionControlLaunches;
    world.press(keys::kReturn, 0, "\r");
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.closings(), (Strings{"space-selected"}));
    world.env.advance(0.1);
    EXPECT_TRUE(world.env.session.missionControlOpen);
    // Once Mission Control has closed, the banner names the desktop on its display.
    ui::Panel* named = nullptr;
    for (int step = 0; step < 60 && !named; ++step) {
        world.env.advance(0.05);
        if (!world.env.session.missionControlOpen) named = world.env.session.windowSystem().panelShowing("Desktop 6");
    }
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->title(), "Space Name");
    EXPECT_EQ(world.env.session.windowSystem().panelsOnDisplay(2), std::vector<ui::Panel*>{named});
    EXPECT_GT(world.env.session.navigation.missionControlLaunches, launches);
    EXPECT_EQ(world.env.session.display(2)->currentSpace, 8u);
    world.env.advance(1);
    const auto verified = world.records("space-switch-verified");
    ASSERT_EQ(verified.size(), 1u);
    EXPECT_EQ(verified[0].field("uuid"), OverviewWorld::kStudioThird);
    banner.stop();
}

TEST_F(OverviewPresenterRoadsTest, TheShortcutTabAndReturnBringAnAppsWindowForwardOnItsDesktop) {
    world.moveTo(Point{600, 700});
    world.pressShortcut();
    world.settle();
    ASSERT_TRUE(tabTo(Target::application(OverviewWorld::kMailDesktop, "com.apple.mail")));
    world.press(keys::kReturn, 0, "\r");
    EXPECT_EQ(world.closings(), (Strings{"app-selected"}));
    world.env.advance(5);
    EXPECT_EQ(world.env.session.display(2)->currentSpace, 6u);
    EXPECT_EQ(frontmost(), 305);
    const auto front = std::find_if(world.env.session.windows.begin(), world.env.session.windows.end(),
                                    [](const auto& w) { return w.pid == 305 || w.pid == 303; });
    ASSERT_NE(front, world.env.session.windows.end());
    EXPECT_EQ(front->id, 505u);
    const auto verified = world.records("app-selection-verified");
    ASSERT_EQ(verified.size(), 1u);
    EXPECT_EQ(verified[0].field("appID"), "com.apple.mail");
    EXPECT_EQ(verified[0].field("monitor"), OverviewWorld::kStudio);
}

TEST_F(OverviewPresenterRoadsTest, ClicksOnTheButtonChooseBetweenTheMenuAndTheOverview) {
    world.clickButton();
    EXPECT_FALSE(menuOpen());
    world.env.advance(0.5);
    EXPECT_TRUE(menuOpen());
    world.env.session.menus().dismiss();

    world.env.session.windowSystem().doubleClick(world.buttonCentre());
    world.env.advance(1);
    EXPECT_FALSE(menuOpen());
    EXPECT_TRUE(world.shown());
    EXPECT_EQ(world.records("shown").back().field("reason"), "double-click");

    world.rightClickButton();
    EXPECT_TRUE(menuOpen());
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.closings().back(), "status-click");  // closed by the click, before the menu opened
    world.env.session.menus().dismiss();
    world.env.session.holdModifiers(flags::kOption);
    world.clickButton();
    world.env.session.releaseModifiers(flags::kOption);
    world.env.advance(0.5);
    ASSERT_TRUE(menuOpen());
    EXPECT_EQ(world.prepared.back(), true);
    EXPECT_FALSE(world.menu->item("Testing")->isHidden);

    // The shortcut while the menu is open: the menu closes and the overview opens at the pointer.
    world.moveTo(Point{500, 600});
    world.pressShortcut();
    world.settle();
    EXPECT_FALSE(menuOpen());
    ASSERT_TRUE(world.shown());
    EXPECT_EQ(world.records("shown").back().field("reason"), "shortcut");
    EXPECT_EQ(world.panel().frame().minX(), 512);
}

TEST_F(OverviewPresenterRoadsTest, EscapeAndTheShortcutCloseAndHandKeyFocusBack) {
    world.moveTo(Point{600, 700});
    world.pressShortcut();
    world.settle();
    ASSERT_TRUE(world.panel().isKeyWindow());
    world.press(keys::kEscape, 0, "\x1b");
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.closings(), (Strings{"escape"}));
    EXPECT_EQ(frontmost(), OverviewWorld::kTerminal);

    world.pressShortcut();
    world.settle();
    EXPECT_TRUE(world.shown());
    EXPECT_EQ(frontmost(), OverviewWorld::kOwnPID);
    world.pressShortcut();
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.closings(), (Strings{"escape", "shortcut-toggle"}));
    EXPECT_EQ(frontmost(), OverviewWorld::kTerminal);
}

TEST_F(OverviewPresenterRoadsTest, AFailedPickComesBackInRedWithFocusOnItAndAMenuOpenedMeanwhileSilencesIt) {
    world.env.session.navigation.pressIgnored = true;
    world.moveTo(Point{600, 700});
    world.pressShortcut();
    world.settle();
    const Rect where = world.panel().frame();
    const Target picked = Target::desktop(OverviewWorld::kStudioThird);
    ASSERT_TRUE(tabTo(picked));
    world.press(keys::kReturn, 0, "\r");
    EXPECT_FALSE(world.shown());
    world.env.advance(10);
    ASSERT_TRUE(world.shown());
    EXPECT_EQ(world.panel().frame(), where);
    EXPECT_TRUE(world.panel().isKeyWindow());
    world.settle();
    const auto& message = world.preview->selectionStatus().errorMessage.get();
    ASSERT_TRUE(message);
    const ui::Node* line = world.host().findText(*message);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->foregroundColor(), ui::Color::systemRed());
    EXPECT_EQ(selection(), picked);
    EXPECT_EQ(world.records("space-switch-failed").size(), 1u);
    EXPECT_EQ(world.env.session.display(2)->currentSpace, 4u);

    // Again, but the menu opens while the pick runs: no error comes back.
    world.press(keys::kReturn, 0, "\r");
    world.env.advance(0.3);
    world.rightClickButton();
    ASSERT_TRUE(menuOpen());
    world.env.session.menus().dismiss();
    world.env.advance(10);
    EXPECT_FALSE(world.shown());
    EXPECT_EQ(world.records("space-switch-failed").size(), 1u);
}

TEST_F(OverviewPresenterRoadsTest, AClickOutsideClosesButAClickOnTheStatusButtonIsNotOutside) {
    world.preview->showOverview();
    world.settle();
    world.click(Point{300, 300});
    world.settle();
    EXPECT_EQ(world.closings(), (Strings{"outside-click"}));

    world.preview->showOverview();
    world.settle();
    world.click(world.panelCentre());
    world.clickButton();
    world.settle();
    EXPECT_EQ(world.closings(), (Strings{"outside-click", "status-click"}));
}

TEST_F(OverviewPresenterRoadsTest, TheRecorderInAWindowTakesANewShortcutThatThenOpensTheOverview) {
    auto& shortcut = world.settings.overviewShortcut();
    ui::Panel window(Rect(200, 300, 460, 120), ui::style_mask::kTitled);
    auto hosting = std::make_shared<ui::HostingView>(std::make_unique<OverviewShortcutControl::Standalone>(shortcut));
    window.setContentView(hosting);
    hosting->layoutSubtreeIfNeeded();
    window.makeKeyAndOrderFront();
    platform::current().application->activate(false);
    world.settle();
    ShortcutRecorderButton* recorder = nullptr;
    for (auto& sub : hosting->subviews())
        if (auto* found = dynamic_cast<ShortcutRecorderButton*>(sub.get())) recorder = found;
    ASSERT_TRUE(recorder);
    const Rect onScreen = window.convertToScreen(recorder->convertToWindow(recorder->bounds()));
    const Point centre{onScreen.midX(), onScreen.midY()};

    world.click(centre);
    EXPECT_TRUE(shortcut.isRecording.get());
    world.press(kKeyO, kControlOptionCommand);
    EXPECT_FALSE(shortcut.isRecording.get());
    const OverviewShortcut recorded{kKeyO, 0x1900};
    EXPECT_EQ(OverviewShortcutStore(world.env.session.defaults()).value(), recorded);
    const auto own = world.env.session.hotKeys().ownRegistrations();
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(own[0].keyCode, kKeyO);
    world.moveTo(Point{600, 700});
    world.press(kKeyO, kControlOptionCommand);
    world.settle();
    EXPECT_TRUE(world.shown());
    EXPECT_EQ(world.records("shown").back().field("reason"), "shortcut");
    world.press(keys::kEscape, 0, "\x1b");
    EXPECT_FALSE(world.shown());

    // A letter alone is refused under the control; Escape cancels; so does switching app.
    window.makeKeyAndOrderFront();
    world.click(centre);
    world.press(kKeyA, 0, "a");
    hosting->host().renderIfNeeded();
    EXPECT_TRUE(hosting->host().findText("Include Command or Control with your shortcut."));
    EXPECT_TRUE(shortcut.isRecording.get());
    world.press(keys::kEscape, 0, "\x1b");
    EXPECT_FALSE(shortcut.isRecording.get());
    world.click(centre);
    ASSERT_TRUE(shortcut.isRecording.get());
    world.env.session.activateApplication(OverviewWorld::kTerminal);
    world.settle();
    EXPECT_FALSE(shortcut.isRecording.get());
    EXPECT_EQ(shortcut.shortcut.get(), recorded);
    EXPECT_EQ(world.env.session.hotKeys().ownRegistrations().size(), 1u);
}

}  // namespace
}  // namespace tarnwick
