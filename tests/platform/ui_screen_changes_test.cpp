// A change of screens as our windows meet it: the menu bar and its status items move to the
// display that is primary now, our panels and the pointer keep their places on the displays, and
// a shown window or the pointer whose display went away comes onto one that is left.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/notifications.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"
#include "platform/ui/screens.h"
#include "platform/ui/status_item.h"
#include "platform/ui/tracking_area.h"
#include "testkit/printing.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using testkit::TestEnvironment;

// The default session: the built-in display (id 1, 1512 x 982 at 0 0) is primary, the Studio
// Display (id 2, 2560 x 1440 at 1512 -200) to its right; both keep a 25-point menu bar.
class ScreenChangesTest : public ::testing::Test {
protected:
    ScreenChangesTest() {
        env.session.loadDefaultSession();
        builtIn = *env.session.display(1);
        studio = *env.session.display(2);
    }
    std::optional<std::uint32_t> displayHolding(const Rect& frame) {
        auto screen = ui::screenContaining(frame);
        return screen ? ui::displayID(*screen) : std::nullopt;
    }
    std::optional<std::uint32_t> displayAt(Point point) {
        auto screen = ui::screenAt(point);
        return screen ? ui::displayID(*screen) : std::nullopt;
    }
    // A frame in screen coordinates as the session's global space has it (y down).
    Rect global(const Rect& frame) {
        const double height = env.session.primaryHeight();
        return Rect(frame.minX(), height - frame.maxY(), frame.width(), frame.height());
    }

    TestEnvironment env;
    sim::SimDisplay builtIn, studio;
};

TEST_F(ScreenChangesTest, TheStatusItemsFollowTheMenuBarToThePrimaryDisplay) {
    ui::StatusItem square;
    ui::StatusItem wide(30);
    EXPECT_EQ(square.window().frame(), Rect(1479, 957, 25, 25));
    EXPECT_EQ(wide.window().frame(), Rect(1449, 957, 30, 25));

    // Unplugging the primary display makes the Studio Display primary: its screen frame now
    // reaches from 200 to 1640, and the items sit at its top right, in the same order.
    env.session.removeDisplay(1);
    EXPECT_EQ(square.window().frame(), Rect(4039, 1615, 25, 25));
    EXPECT_EQ(wide.window().frame(), Rect(4009, 1615, 30, 25));
    EXPECT_EQ(global(square.window().frame()), Rect(4039, -200, 25, 25));
    EXPECT_EQ(displayHolding(square.window().frame()), 2u);
    EXPECT_TRUE(square.window().isVisible());

    // A thinner menu bar makes square items thinner; a strip of nothing keeps the usual bar.
    env.session.setDisplayReserved(2, sim::SimInsets{0, 0, 0, 0});
    EXPECT_EQ(square.window().frame(), Rect(4040, 1616, 24, 24));
    EXPECT_EQ(wide.window().frame(), Rect(4010, 1616, 30, 24));
    env.session.setDisplayReserved(2, studio.reserved);

    // Plugged back in, the built-in display comes after the Studio Display, which stays primary.
    env.session.addDisplay(builtIn);
    EXPECT_EQ(square.window().frame(), Rect(4039, 1615, 25, 25));
    // With the Studio Display gone, the built-in one is primary again: the items come home.
    env.session.removeDisplay(2);
    EXPECT_EQ(square.window().frame(), Rect(1479, 957, 25, 25));
    EXPECT_EQ(wide.window().frame(), Rect(1449, 957, 30, 25));

    // A primary display that grows taller takes its menu bar up with its top.
    Rect taller = builtIn.bounds;
    taller.size.height = 1200;
    env.session.setDisplayBounds(1, taller);
    EXPECT_EQ(square.window().frame(), Rect(1479, 1175, 25, 25));
    EXPECT_EQ(global(square.window().frame()), Rect(1479, 0, 25, 25));

    // Without any display there is no menu bar to go to: the items stay where they were, and
    // the next display plugged in gets them.
    env.session.removeDisplay(1);
    EXPECT_EQ(env.session.primaryHeight(), 0);
    EXPECT_EQ(global(square.window().frame()), Rect(1479, 0, 25, 25));
    env.session.addDisplay(studio);
    EXPECT_EQ(global(square.window().frame()), Rect(4039, -200, 25, 25));
    EXPECT_EQ(displayHolding(square.window().frame()), 2u);
    // An item made now goes beside them.
    ui::StatusItem later;
    EXPECT_EQ(global(later.window().frame()), Rect(3984, -200, 25, 25));
}

TEST_F(ScreenChangesTest, OurWindowsAndThePointerKeepTheirPlacesOnTheDisplaysThatStay) {
    // One panel shown on the Studio Display, one hidden there, one on the built-in display.
    ui::Panel shown(Rect(2000, 300, 400, 300), ui::style_mask::kBorderless);
    ui::Panel hidden(Rect(3000, 100, 200, 200), ui::style_mask::kBorderless);
    ui::Panel onBuiltIn(Rect(100, 100, 300, 200), ui::style_mask::kBorderless);
    shown.orderFrontRegardless();
    onBuiltIn.orderFrontRegardless();
    const Rect shownPlace = global(shown.frame()), hiddenPlace = global(hidden.frame());
    const Rect builtInPlace = global(onBuiltIn.frame());
    auto& windows = env.session.windowSystem();
    windows.movePointer(Point{3000, 500});

    // The primary display's height goes from 982 to 1440: screen coordinates rise by 458.
    env.session.removeDisplay(1);
    EXPECT_EQ(shown.frame(), Rect(2000, 758, 400, 300));
    EXPECT_EQ(global(shown.frame()), shownPlace);
    EXPECT_EQ(global(hidden.frame()), hiddenPlace);
    EXPECT_EQ(displayHolding(shown.frame()), 2u);
    EXPECT_EQ(windows.pointerLocation(), (Point{3000, 958}));
    // A shown window on the display that went away comes onto the main display left, as far
    // from the top left of its visible frame (below the menu bar) as it was on its own.
    EXPECT_EQ(global(onBuiltIn.frame()), Rect(1612, 482, 300, 200));
    EXPECT_EQ(displayHolding(onBuiltIn.frame()), 2u);

    // Back the other way when the built-in display is primary again: the hidden panel keeps its
    // place, the shown ones come onto the built-in display, one of them where it was before.
    env.session.addDisplay(builtIn);
    env.session.removeDisplay(2);
    EXPECT_EQ(global(hidden.frame()), hiddenPlace);
    EXPECT_EQ(global(onBuiltIn.frame()), builtInPlace);
    EXPECT_EQ(global(shown.frame()), Rect(488, 582, 400, 300));
    // The pointer was on the Studio Display: it comes to the nearest point of the built-in one.
    EXPECT_EQ(displayAt(windows.pointerLocation()), 1u);
    EXPECT_EQ(windows.pointerLocation(), (Point{1511, 500}));
}

TEST_F(ScreenChangesTest, AWindowLeftOnNoDisplayComesOntoTheMainOneShrinkingToFitAndSaysItMoved) {
    namespace style = ui::style_mask;
    namespace names = platform::notification_names;
    // On the Studio Display (screen coordinates 1512 -258 2560 1440, its visible frame's top at
    // 1157): a window taller and wider than the built-in display's visible frame, key, and one
    // whose minimum height is more than that frame holds.
    ui::Panel large(Rect(1600, -100, 1700, 1200), style::kTitled | style::kResizable);
    ui::Panel tall(Rect(3000, 0, 500, 1100), style::kTitled | style::kResizable);
    tall.contentMinSize = Size{400, 1000};
    env.session.activateApplication(env.session.system().processID);
    tall.makeKeyAndOrderFront();
    large.makeKeyAndOrderFront();
    std::vector<std::string> heard;
    std::vector<Subscription> observations;
    for (const char* name : {names::kWindowDidMove, names::kWindowDidResize, names::kWindowDidChangeScreen})
        observations.push_back(platform::current().notificationCenter->addObserver(
            name, &large, [&heard, name](const platform::Notification&) { heard.push_back(name); }));

    env.session.removeDisplay(2);
    env.settle();
    // Shrunk to the built-in display's visible frame (0 0 1512 957), which it fills; the other
    // keeps its minimum height, its top at the frame's top, and its distance from the left as far
    // as it fits.
    EXPECT_EQ(large.frame(), Rect(0, 0, 1512, 957));
    EXPECT_EQ(tall.frame(), Rect(1012, -43, 500, 1000));
    EXPECT_EQ(heard, (std::vector<std::string>{names::kWindowDidResize, names::kWindowDidMove,
                                               names::kWindowDidChangeScreen}));
    // Still key, on screen, and on the desktop the built-in display shows: it stays there.
    EXPECT_TRUE(large.isKeyWindow());
    EXPECT_TRUE(large.isOnActiveSpace());
    env.session.switchDesktop(1, 3);
    EXPECT_FALSE(large.isOnActiveSpace());
}

struct Tracker final : ui::TrackingAreaOwner {
    std::vector<std::string> heard;
    void mouseEntered(const ui::TrackingEvent&) override { heard.push_back("in"); }
    void mouseExited(const ui::TrackingEvent&) override { heard.push_back("out"); }
};

TEST_F(ScreenChangesTest, APointerLeftOnNoDisplayComesOntoTheNearestAndTheTrackingAreasHear) {
    ui::StatusItem item;
    Tracker tracker;
    namespace o = ui::tracking_options;
    item.button()->addTrackingArea(std::make_shared<ui::TrackingArea>(
        Rect(), o::kMouseEnteredAndExited | o::kActiveAlways | o::kInVisibleRect, &tracker, Dictionary{}));
    auto& windows = env.session.windowSystem();
    auto& bar = env.session.statusBar();
    windows.movePointer(bar.buttonCentre(item));
    EXPECT_EQ(tracker.heard, (std::vector<std::string>{"in"}));

    // The pointer rested on the item on the built-in display (global 1491.5 12.5): it comes to
    // the Studio Display's left edge, and the item, gone to the far end, hears it leave.
    env.session.removeDisplay(1);
    EXPECT_EQ(displayAt(windows.pointerLocation()), 2u);
    EXPECT_EQ(windows.pointerLocation(), (Point{1512, 1440 - 12.5}));
    EXPECT_EQ(tracker.heard, (std::vector<std::string>{"in", "out"}));
    windows.movePointer(bar.buttonCentre(item));
    EXPECT_EQ(tracker.heard.back(), "in");

    // Below and right of every display: the nearest corner that a screen holds.
    windows.movePointer(Point{9000, -5000});
    env.session.addDisplay(builtIn);
    EXPECT_EQ(windows.pointerLocation(), (Point{4071, 200}));
    EXPECT_EQ(displayAt(windows.pointerLocation()), 2u);
}

}  // namespace
}  // namespace tarnwick
