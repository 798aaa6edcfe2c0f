// Titled windows: their delegate, miniaturizing to the Dock and back, the user's resize, close
// and clicks into another window, the frame kept in the defaults under an autosave name, and a
// controller holding a window.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/notifications.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/declarative/nodes.h"
#include "platform/ui/panel.h"
#include "platform/ui/screens.h"
#include "platform/ui/window_controller.h"
#include "testkit/printing.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace style = ui::style_mask;
namespace names = platform::notification_names;
using testkit::TestEnvironment;

constexpr std::uint64_t kTitledWindow =
    style::kTitled | style::kClosable | style::kMiniaturizable | style::kResizable | style::kFullSizeContentView;

struct Delegate final : ui::WindowDelegate {
    std::vector<std::string>* log = nullptr;
    void windowDidBecomeKey(ui::Panel& w) override { log->push_back("key " + std::to_string(w.isKeyWindow())); }
    void windowWillClose(ui::Panel& w) override { log->push_back("close " + std::to_string(w.isVisible())); }
    void windowDidMiniaturize(ui::Panel& w) override {
        log->push_back("mini " + std::to_string(w.isVisible()) + std::to_string(w.isMiniaturized()));
    }
    void windowDidDeminiaturize(ui::Panel& w) override { log->push_back("demini " + std::to_string(w.isVisible())); }
    LifetimeToken lifetime;
};

class TitledWindowsTest : public ::testing::Test {
protected:
    TitledWindowsTest() {
        env.session.loadDefaultSession();
        delegate.log = &log;
        window.setTitle("Desktop Names");
        window.setDelegate(delegate, delegate.lifetime);
        for (const char* name : {names::kWindowWillClose, names::kWindowDidMiniaturize, names::kWindowDidDeminiaturize,
                                 names::kWindowDidResize})
            observations.push_back(platform::current().notificationCenter->addObserver(
                name, &window, [this, name](const platform::Notification&) { log.push_back(name); }));
    }
    // What was heard, the window's observers included (they hear on a later turn).
    std::vector<std::string> take() {
        env.settle();
        return std::exchange(log, {});
    }
    sim::SimWindowSystem& windows() { return env.session.windowSystem(); }

    TestEnvironment env;
    std::vector<std::string> log;
    Delegate delegate;
    ui::Panel window{Rect(100, 100, 650, 650), kTitledWindow};
    std::vector<Subscription> observations;
};

TEST_F(TitledWindowsTest, TheDelegateHearsKeyCloseAndTheDockAtOnceTheWindowsObserversLater) {
    window.makeKeyAndOrderFront();
    EXPECT_EQ(take(), (std::vector<std::string>{"key 1"}));

    ASSERT_TRUE(windows().miniaturize(window));
    EXPECT_EQ(take(), (std::vector<std::string>{"mini 01", names::kWindowDidMiniaturize}));
    EXPECT_FALSE(window.isKeyWindow());
    EXPECT_FALSE(windows().miniaturize(window));  // already in the Dock

    // Restored from the Dock: back in, out of the Dock, then key (and our app in front).
    env.session.activateApplication(303);
    ASSERT_TRUE(windows().restore(window));
    EXPECT_EQ(take(), (std::vector<std::string>{"demini 1", "key 1", names::kWindowDidDeminiaturize}));
    EXPECT_EQ(env.session.frontmostPID, env.session.system().processID);

    ASSERT_TRUE(windows().close(window));
    EXPECT_EQ(take(), (std::vector<std::string>{"close 1", names::kWindowWillClose}));
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(windows().close(window));  // not shown: no button to click

    // Ordering in a miniaturized window brings it out of the Dock as well.
    window.makeKeyAndOrderFront();
    windows().miniaturize(window);
    take();
    window.orderFrontRegardless();
    EXPECT_FALSE(window.isMiniaturized());
    EXPECT_EQ(take(), (std::vector<std::string>{"demini 1", names::kWindowDidDeminiaturize}));

    // A delegate that went away hears nothing.
    {
        Delegate gone;
        gone.log = &log;
        window.setDelegate(gone, gone.lifetime);
    }
    EXPECT_EQ(window.delegate(), nullptr);
    windows().close(window);
    EXPECT_EQ(take(), (std::vector<std::string>{names::kWindowWillClose}));
}

TEST_F(TitledWindowsTest, TheUsersResizeKeepsTheTopLeftAndTheMinimumSize) {
    window.contentMinSize = Size{380, 320};
    window.orderFrontRegardless();
    ASSERT_TRUE(windows().resize(window, Size{619, 500}));
    EXPECT_EQ(window.frame(), Rect(100, 250, 619, 500));
    EXPECT_EQ(take(), (std::vector<std::string>{names::kWindowDidResize}));
    ASSERT_TRUE(windows().resize(window, Size{100, 100}));
    EXPECT_EQ(window.frame(), Rect(100, 430, 380, 320));

    ui::Panel fixed(Rect(0, 0, 200, 200), style::kTitled | style::kClosable);
    fixed.orderFrontRegardless();
    EXPECT_FALSE(windows().resize(fixed, Size{300, 300}));
    EXPECT_FALSE(windows().miniaturize(fixed));

    // A click into another window of ours makes it key, bringing our app forward.
    window.makeKey();
    env.session.activateApplication(303);
    ASSERT_TRUE(windows().focus(fixed));
    EXPECT_TRUE(fixed.isKeyWindow());
    EXPECT_EQ(env.session.frontmostPID, env.session.system().processID);
}

// The built-in display shows 0 0 1512 957 below its menu bar (screen coordinates); the Studio
// Display, to its right, 1512 -258 2560 1415.
TEST_F(TitledWindowsTest, TheUsersResizeStopsAtTheVisibleFrameOfTheDisplayHoldingTheWindow) {
    window.orderFrontRegardless();
    const auto past = windows().resize(window, Size{3000, 3000});
    ASSERT_TRUE(past);
    EXPECT_EQ(window.frame(), Rect(100, 0, 1412, 750));  // its right and bottom edges on the display's
    EXPECT_EQ(past->got, (Size{1412, 750}));
    EXPECT_FALSE(past->belowMinimum);
    ASSERT_TRUE(past->stoppedBy);
    EXPECT_EQ(ui::displayID(*past->stoppedBy), 1u);
    EXPECT_EQ(past->stoppedBy->visibleFrame, Rect(0, 0, 1512, 957));
    // Within the display nothing stops it; one length past it stops that one alone.
    const auto within = windows().resize(window, Size{619, 500});
    EXPECT_FALSE(within->stoppedBy);
    EXPECT_EQ(window.frame(), Rect(100, 250, 619, 500));
    windows().resize(window, Size{3000, 400});
    EXPECT_EQ(window.frame(), Rect(100, 350, 1412, 400));

    // The minimum wins where the display leaves less room: then the display stopped nothing.
    window.contentMinSize = Size{1450, 320};
    const auto wider = windows().resize(window, Size{3000, 400});
    EXPECT_EQ(window.frame(), Rect(100, 350, 1450, 400));
    EXPECT_FALSE(wider->belowMinimum);
    EXPECT_FALSE(wider->stoppedBy);
    const auto taller = windows().resize(window, Size{1000, 3000});
    EXPECT_EQ(window.frame(), Rect(100, 0, 1450, 750));
    EXPECT_TRUE(taller->belowMinimum);
    EXPECT_TRUE(taller->stoppedBy);
    window.contentMinSize = Size{};

    // On the Studio Display, its own visible frame holds the window.
    window.setFrame(Rect(3800, 500, 200, 200), false);
    const auto there = windows().resize(window, Size{1000, 1000});
    EXPECT_EQ(window.frame(), Rect(3800, -258, 272, 958));
    ASSERT_TRUE(there->stoppedBy);
    EXPECT_EQ(ui::displayID(*there->stoppedBy), 2u);
}

// The Dock keeps a strip of its display for itself: a drag past the Dock's edge stops there,
// not at the screen's edge behind the Dock. One display keeps the Dock at its bottom, the other
// on its right (screen coordinates: the first shows 0 70 1440 805, the second, to its right and
// 180 points lower, 1440 -180 1840 1055).
TEST(ResizeUnderTheDockTest, TheUsersResizeStopsAtTheDockAtTheBottomAndOnTheRight) {
    TestEnvironment env;
    env.session.load(R"({"displays": [
        {"id": 1, "uuid": "D0C0B070-0000-4000-8000-000000000001", "bounds": [0, 0, 1440, 900],
         "reserved": {"top": 25, "bottom": 70}},
        {"id": 2, "uuid": "D0C0B070-0000-4000-8000-000000000002", "bounds": [1440, 0, 1920, 1080],
         "reserved": {"top": 25, "right": 80}}]})");
    auto& windows = env.session.windowSystem();
    ui::Panel window(Rect(100, 500, 400, 300), kTitledWindow);
    window.orderFrontRegardless();

    const auto bottom = windows.resize(window, Size{3000, 3000});
    ASSERT_TRUE(bottom);
    EXPECT_EQ(window.frame(), Rect(100, 70, 1340, 730));  // its bottom on the Dock's top edge
    ASSERT_TRUE(bottom->stoppedBy);
    EXPECT_EQ(ui::displayID(*bottom->stoppedBy), 1u);
    EXPECT_EQ(bottom->stoppedBy->visibleFrame, Rect(0, 70, 1440, 805));
    // Short of the Dock the drag gets what it asks for.
    const auto above = windows.resize(window, Size{400, 730});
    EXPECT_FALSE(above->stoppedBy);
    EXPECT_EQ(window.frame(), Rect(100, 70, 400, 730));

    window.setFrame(Rect(3000, 200, 200, 200), false);
    const auto right = windows.resize(window, Size{1000, 1000});
    ASSERT_TRUE(right);
    EXPECT_EQ(window.frame(), Rect(3000, -180, 280, 580));  // its right edge on the Dock's left edge
    ASSERT_TRUE(right->stoppedBy);
    EXPECT_EQ(ui::displayID(*right->stoppedBy), 2u);
    EXPECT_EQ(right->stoppedBy->visibleFrame, Rect(1440, -180, 1840, 1055));
}

TEST_F(TitledWindowsTest, AnAutosavedFrameIsKeptWhileShownAndRestoredWhenFirstShownOnAnotherDisplay) {
    auto& defaults = env.session.defaults();
    const std::string key = ui::Panel::autosaveKey("DesktopNames");
    // Stored by an earlier run on the second display: the first showing puts the window there.
    const auto screens = ui::screens();
    ASSERT_EQ(screens.size(), 2u);
    const Rect second = screens[1].visibleFrame;
    const Rect there(second.origin.x + 10, second.origin.y + 10, 650, 650);
    defaults.set(key, Value(std::to_string(there.origin.x) + " " + std::to_string(there.origin.y) + " 650 650"));
    ASSERT_TRUE(window.setFrameAutosaveName("DesktopNames"));
    ui::Panel other(Rect(0, 0, 100, 100), kTitledWindow);
    EXPECT_FALSE(other.setFrameAutosaveName("DesktopNames"));  // one window per name
    window.makeKeyAndOrderFront();
    EXPECT_EQ(window.frame(), there);
    EXPECT_EQ(ui::displayID(*window.screen()), ui::displayID(screens[1]));

    // Moved while shown: saved. Moved while hidden: not saved, and not undone by showing again.
    window.setFrame(Rect(140, 100, 650, 650), false);
    EXPECT_EQ(ui::Panel::savedFrame("DesktopNames"), Rect(140, 100, 650, 650));
    window.close();
    window.setFrame(Rect(120, 100, 650, 650), false);
    EXPECT_EQ(ui::Panel::savedFrame("DesktopNames"), Rect(140, 100, 650, 650));
    window.orderFrontRegardless();
    EXPECT_EQ(window.frame(), Rect(120, 100, 650, 650));
    window.orderOut();
    EXPECT_EQ(ui::Panel::savedFrame("DesktopNames"), Rect(120, 100, 650, 650));

    // What cannot be read as a frame is left alone and the window stays where it is.
    for (const char* bad : {"garbage", "1 2 3", "0 0 0 0", "nan 0 10 10", "1 2 3 4 5"}) {
        defaults.set(key, Value(std::string(bad)));
        EXPECT_FALSE(ui::Panel::savedFrame("DesktopNames")) << bad;
    }
    ui::Panel fresh(Rect(30, 40, 200, 100), kTitledWindow);
    ASSERT_TRUE(fresh.setFrameAutosaveName("Fresh"));
    defaults.set(ui::Panel::autosaveKey("Fresh"), Value(std::string("1 2 3")));
    fresh.orderFrontRegardless();
    EXPECT_EQ(fresh.frame(), Rect(30, 40, 200, 100));

    // One saved larger than the screen it comes back on shrinks to that screen's visible frame.
    ui::Panel huge(Rect(30, 40, 200, 100), kTitledWindow);
    ASSERT_TRUE(huge.setFrameAutosaveName("Huge"));
    const Rect first = screens[0].visibleFrame;
    defaults.set(ui::Panel::autosaveKey("Huge"), Value(std::to_string(first.origin.x) + " " +
                                                        std::to_string(first.origin.y) + " 99999 " +
                                                        std::to_string(first.height() / 2)));
    huge.orderFrontRegardless();
    EXPECT_EQ(huge.frame().size, (Size{first.width(), first.height() / 2}));
    EXPECT_EQ(ui::displayID(*huge.screen()), ui::displayID(screens[0]));
}

// The minimum a window's declarative content declares is known only once it has rendered: the
// first showing lays the content out before it holds a saved frame to that minimum, and lays it
// out again at the size it grew to.
TEST_F(TitledWindowsTest, AFrameSavedBelowTheContentsMinimumGrowsToItWhenTheWindowFirstShows) {
    struct Declared final : ui::DeclarativeView {
        ui::Node body(ui::ViewContext&) override {
            ui::FrameSpec minimum;
            minimum.minWidth = 480;
            minimum.minHeight = 360;
            minimum.maxWidth = minimum.maxHeight = ui::FrameSpec::infinity;
            return ui::text("Names").padding(16).frame(minimum);
        }
        void observe(ui::ViewHost&) override {}
    };
    ui::Panel names(Rect(100, 100, 650, 650), kTitledWindow);
    auto hosting = std::make_shared<ui::HostingView>(std::make_unique<Declared>());
    names.setContentView(hosting);
    env.session.defaults().set(ui::Panel::autosaveKey("Names"), Value(std::string("120 140 300 200")));
    ASSERT_TRUE(names.setFrameAutosaveName("Names"));
    names.makeKeyAndOrderFront();
    EXPECT_EQ(names.frame(), Rect(120, 140, 480, 360));
    EXPECT_EQ(hosting->bounds().size, (Size{480, 360}));
    ASSERT_NE(hosting->host().root(), nullptr);
    EXPECT_EQ(hosting->host().root()->frame().size, (Size{480, 360}));
    // The user's resize holds to the same minimum.
    ASSERT_TRUE(windows().resize(names, Size{200, 200}));
    EXPECT_EQ(names.frame().size, (Size{480, 360}));
}

TEST_F(TitledWindowsTest, AControllerOwnsItsWindowOrWrapsOneItDoesNotKeepAlive) {
    ui::WindowController owning(std::make_unique<ui::Panel>(Rect(0, 0, 300, 200), kTitledWindow));
    ASSERT_NE(owning.window(), nullptr);
    owning.showWindow();
    EXPECT_TRUE(owning.window()->isKeyWindow());

    auto about = std::make_unique<ui::Panel>(Rect(0, 0, 300, 200), kTitledWindow);
    ui::WindowController wrapping(*about);
    EXPECT_EQ(wrapping.window(), about.get());
    about.reset();
    EXPECT_EQ(wrapping.window(), nullptr);
    wrapping.showWindow();  // nothing to show
}

}  // namespace
}  // namespace tarnwick
