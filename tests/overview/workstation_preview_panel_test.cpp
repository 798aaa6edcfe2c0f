#include <gtest/gtest.h>

#include "overview/workstation_preview_panel.h"
#include "platform/sim/ui/sim_window_system.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace keys = platform::key_codes;

TEST(WorkstationPreviewPanelTest, IsMadeAsAFloatingNonactivatingPanelOfTheOverview) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    WorkstationPreviewPanel panel;
    EXPECT_EQ(panel.frame(), Rect(0, 0, 368, 560));
    EXPECT_EQ(panel.styleMask(), 128u);
    EXPECT_EQ(panel.backing(), ui::BackingStore::buffered);
    EXPECT_FALSE(panel.isDeferred());
    EXPECT_EQ(panel.title(), "Workstation Overview");
    EXPECT_EQ(panel.level(), 101);
    EXPECT_EQ(panel.collectionBehavior, 337u);
    EXPECT_FALSE(panel.hidesOnDeactivate);
    EXPECT_EQ(panel.animationBehavior, 2);
    EXPECT_TRUE(panel.isExcludedFromWindowsMenu);
    EXPECT_FALSE(panel.isReleasedWhenClosed);
    EXPECT_FALSE(panel.isOpaque);
    EXPECT_EQ(panel.backgroundColor, ui::Color::clear());
    EXPECT_TRUE(panel.hasShadow);
    EXPECT_FALSE(panel.acceptsKeyboard());
    EXPECT_FALSE(panel.canBecomeMain());
}

TEST(WorkstationPreviewPanelTest, TakesTheKeyboardOnlyWhenToldAndEscapeReachesItsHandlerAlone) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    WorkstationPreviewPanel panel;
    panel.orderFrontRegardless();
    panel.makeKey();
    EXPECT_FALSE(panel.isKeyWindow());
    panel.setAcceptsKeyboard(true);
    EXPECT_EQ(panel.collectionBehavior, 330u);
    EXPECT_TRUE(panel.canBecomeKey());
    panel.makeKey();
    EXPECT_TRUE(panel.isKeyWindow());
    EXPECT_TRUE(panel.isPresentedOnActiveSpace());

    // Escape that no view takes: nothing without a handler, the handler and nothing else with one.
    EXPECT_TRUE(panel.sendKeyEvent({keys::kEscape, "\x1b", 0, false}));
    int escapes = 0;
    panel.escapeRequested = [&] { ++escapes; };
    panel.sendKeyEvent({keys::kEscape, "\x1b", 0, false});
    EXPECT_EQ(escapes, 1);
    EXPECT_TRUE(panel.isVisible());
    panel.setAcceptsKeyboard(false);
    EXPECT_EQ(panel.collectionBehavior, 337u);

    // Shown for the keyboard on one desktop, it is not presented on the next.
    panel.setAcceptsKeyboard(true);
    panel.setFrame(Rect(100, 100, 360, 560), false);
    panel.orderFrontRegardless();
    env.session.switchDesktop(1, 3);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_FALSE(panel.isPresentedOnActiveSpace());
}

}  // namespace
}  // namespace tarnwick
