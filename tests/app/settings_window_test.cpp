// The settings window: how it is built, opening on a page and a display (fitted, then placed),
// kept when closed, refreshing the status when it comes forward, and tidying up when it closes.

#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/settings_window.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/screens.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace style = ui::style_mask;

class SettingsWindowTest : public ::testing::Test {
protected:
    SettingsWindowTest() {
        env.session.loadDefaultSession();
        settings = std::make_shared<SettingsModel>();
        names = std::make_shared<DesktopNamesModel>();
        updates = std::make_unique<SoftwareUpdates>();
        settings->systemStatusChanged = [this] { ++statusChanges; };
        window = std::make_unique<SettingsWindow>(settings, names, *updates);
    }
    ui::Panel& panel() { return *window->window(); }
    void pointAtDisplay(std::size_t index) {
        const Rect frame = ui::screens().at(index).frame;
        env.session.windowSystem().movePointer(Point{frame.midX(), frame.midY()});
    }

    testkit::TestEnvironment env;
    std::shared_ptr<SettingsModel> settings;
    std::shared_ptr<DesktopNamesModel> names;
    std::unique_ptr<SoftwareUpdates> updates;
    std::unique_ptr<SettingsWindow> window;
    int statusChanges = 0;
};

TEST_F(SettingsWindowTest, ItIsATitledGlassWindowWithItsOwnFrameNameCentred) {
    ui::Panel& w = panel();
    EXPECT_EQ(w.title(), "Tarnwick Settings");
    EXPECT_EQ(w.frame().size, (Size{760, 560}));
    EXPECT_EQ(w.styleMask(), style::kTitled | style::kClosable | style::kResizable | style::kFullSizeContentView);
    EXPECT_EQ(w.contentMinSize, (Size{380, 320}));
    EXPECT_FALSE(w.isReleasedWhenClosed);
    EXPECT_EQ(w.tabbingMode, ui::TabbingMode::disallowed);
    EXPECT_TRUE(w.titlebarAppearsTransparent);
    EXPECT_FALSE(w.isOpaque);
    EXPECT_EQ(w.backgroundColor, ui::Color::clear());
    EXPECT_EQ(w.frameAutosaveName(), "TarnwickSettings");
    auto glass = std::dynamic_pointer_cast<ui::GlassEffectView>(w.contentView());
    ASSERT_TRUE(glass);
    EXPECT_EQ(glass->cornerRadius, 16);
    EXPECT_EQ(glass->contentView().get(), &window->hostingView());
    EXPECT_EQ(w.delegate(), window.get());
    EXPECT_FALSE(w.isVisible());
}

TEST_F(SettingsWindowTest, OpeningGoesToTheInvokingDisplayOnThePageAskedForAndKeepsThePageAfterClosing) {
    pointAtDisplay(1);
    env.session.accessibilityTrusted = false;
    window->open(SettingsTab::banner, std::nullopt);
    env.settle();
    EXPECT_TRUE(panel().isKeyWindow());
    EXPECT_EQ(ui::displayID(*panel().screen()), 2u);
    EXPECT_EQ(settings->tab.get(), SettingsTab::banner);
    EXPECT_FALSE(settings->accessibilityAllowed.get());  // the status was read afresh
    EXPECT_EQ(statusChanges, 1);
    EXPECT_EQ(panel().firstResponder(), nullptr);

    // Closed and opened again with no page: the same window on the same page, where it was.
    const Rect where = panel().frame();
    ASSERT_TRUE(env.session.windowSystem().close(panel()));
    window->open(std::nullopt, std::nullopt);
    EXPECT_TRUE(panel().isVisible());
    EXPECT_EQ(settings->tab.get(), SettingsTab::banner);
    EXPECT_EQ(panel().frame(), where);
    EXPECT_EQ(ui::Panel::savedFrame("TarnwickSettings"), where);
}

TEST_F(SettingsWindowTest, AWindowTooLargeForTheDisplayShrinksPerSideAndIsCentred) {
    // Shown and closed at full size first: its saved frame does not undo the shrink later.
    window->open(SettingsTab::general, 1);
    ASSERT_TRUE(env.session.windowSystem().close(panel()));
    // The studio display keeps a visible frame of 700 x 900 (below a 25-point menu bar).
    env.session.setDisplayBounds(2, Rect(1512, 0, 700, 925));
    window->open(SettingsTab::general, 2);
    const Rect visible = ui::screens().at(1).visibleFrame;
    ASSERT_EQ(visible.size, (Size{700, 900}));
    EXPECT_EQ(panel().frame(), Rect(visible.midX() - 350, visible.midY() - 280, 700, 560));
}

TEST_F(SettingsWindowTest, ComingForwardRefreshesTheStatusAndClosingCommitsDraftsAndEndsARecording) {
    // On another page than Desktop Names, whose rows would commit as they go.
    window->open(SettingsTab::general, 1);
    env.session.accessibilityTrusted = false;
    ui::Panel other(Rect(0, 0, 100, 100), style::kTitled);
    other.makeKeyAndOrderFront();
    EXPECT_TRUE(settings->accessibilityAllowed.get());
    ASSERT_TRUE(env.session.windowSystem().focus(panel()));
    EXPECT_FALSE(settings->accessibilityAllowed.get());

    const std::string display = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
    names->refresh(true);
    names->editDisplayName("Desk", display);
    settings->overviewShortcut().beginRecording();
    ASSERT_TRUE(settings->overviewShortcut().isRecording.get());
    ASSERT_TRUE(env.session.windowSystem().close(panel()));
    EXPECT_EQ(names->displayAlias(display), "Desk");
    EXPECT_FALSE(settings->overviewShortcut().isRecording.get());
}

}  // namespace
}  // namespace tarnwick
