// Our windows and the desktops, and the keyboard as a Mac hands it between them: a window stays
// on the desktop it came in on and is on screen only while that desktop is current; brought
// forward from another desktop it takes the user there; a click into a window makes it key and
// brings it forward; our application coming back gives the keyboard to its last key window; a
// key window destroyed hands the keyboard on.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/notifications.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace style = ui::style_mask;
namespace names = platform::notification_names;
using Desktop = sim::SimWindowSystem::Desktop;
using Heard = std::vector<std::string>;

constexpr std::int32_t kTerminal = 303;
constexpr std::uint64_t kTitledWindow = style::kTitled | style::kClosable | style::kMiniaturizable;

// The default session: the built-in display (1) shows desktops 1, 3 and 5 (the first current),
// the Studio Display (2) desktops 4, 6 and 8 (the first current). Settings and Desktop Names on
// the built-in display, apart, so that a click finds each.
class WindowDesktopsTest : public ::testing::Test {
protected:
    WindowDesktopsTest() {
        env.session.loadDefaultSession();
        settings.setTitle("Tarnwick Settings");
        namesWindow.setTitle("Desktop Names");
        for (ui::Panel* window : {&settings, &namesWindow})
            for (const char* name : {names::kWindowDidBecomeKey, names::kWindowDidResignKey})
                observations.push_back(platform::current().notificationCenter->addObserver(
                    name, window, [this, window, name](const platform::Notification&) {
                        heard.push_back(std::string(name == names::kWindowDidBecomeKey ? "key " : "resigned ") +
                                        window->title());
                    }));
        observations.push_back(env.session.workspaceNotificationCenter().addObserver(
            names::kActiveSpaceDidChange, [this](const platform::Notification&) { heard.push_back("space changed"); }));
        env.session.activateApplication(env.session.system().processID);
    }
    Heard take() {
        env.settle();
        return std::exchange(heard, {});
    }
    sim::SimWindowSystem& windows() { return env.session.windowSystem(); }
    std::uint64_t current(std::uint32_t display) { return env.session.display(display)->currentSpace; }
    // A point of the window that no other window covers.
    static Point inside(const ui::Panel& panel) { return Point{panel.frame().minX() + 10, panel.frame().minY() + 10}; }

    testkit::TestEnvironment env;
    ui::Panel settings{Rect(100, 100, 400, 300), kTitledWindow};
    ui::Panel namesWindow{Rect(700, 150, 400, 300), kTitledWindow};
    Heard heard;
    std::vector<Subscription> observations;
};

TEST_F(WindowDesktopsTest, AWindowIsOnScreenOnlyWhileItsDesktopIsCurrentAndItsKeyStatusGoesWithIt) {
    settings.makeKeyAndOrderFront();
    take();
    env.session.switchDesktop(1, 3);
    EXPECT_FALSE(settings.isOnActiveSpace());
    EXPECT_EQ(windows().desktopElsewhere(settings), (Desktop{1, 1}));
    EXPECT_TRUE(settings.isVisible());
    // Left behind, it is no longer key; nothing of ours is on the desktop now current.
    EXPECT_EQ(windows().keyPanel(), nullptr);
    EXPECT_EQ(take(), (Heard{"space changed", "resigned Tarnwick Settings"}));

    // The other display's desktops do not change where it is.
    env.session.switchDesktop(2, 6);
    EXPECT_EQ(windows().desktopElsewhere(settings), (Desktop{1, 1}));
    take();
    // Back on its desktop it is on screen and key again, the frontmost of ours there.
    env.session.switchDesktop(1, 1);
    EXPECT_TRUE(settings.isOnActiveSpace());
    EXPECT_EQ(windows().desktopElsewhere(settings), std::nullopt);
    EXPECT_TRUE(settings.isKeyWindow());
    // A switch on the other display leaves the key window on this one key: it does not resign
    // and take the keyboard back (which would end a shortcut's recording, say).
    take();
    env.session.switchDesktop(2, 8);
    EXPECT_TRUE(settings.isKeyWindow());
    EXPECT_EQ(take(), Heard{"space changed"});

    // A window ordered out is on no desktop; one that joins every desktop is on each.
    ui::Panel banner(Rect(0, 0, 300, 60), style::kNonactivatingPanel);
    banner.collectionBehavior = ui::collection_behavior::kCanJoinAllSpaces;
    banner.orderFrontRegardless();
    settings.orderOut();
    env.session.switchDesktop(1, 5);
    EXPECT_TRUE(banner.isOnActiveSpace());
    EXPECT_EQ(windows().desktopElsewhere(banner), std::nullopt);
    EXPECT_EQ(windows().desktopElsewhere(settings), std::nullopt);
}

TEST_F(WindowDesktopsTest, AWindowBroughtForwardFromAnotherDesktopTakesTheUserThere) {
    settings.makeKeyAndOrderFront();
    env.session.switchDesktop(1, 3);
    namesWindow.makeKeyAndOrderFront();
    take();

    // Made key and ordered front, as the status menu shows it: its desktop becomes current as a
    // switch by the user would, with the notification, and it is key there.
    settings.makeKeyAndOrderFront();
    EXPECT_EQ(current(1), 1u);
    EXPECT_TRUE(settings.isOnActiveSpace());
    EXPECT_TRUE(settings.isKeyWindow());
    EXPECT_FALSE(namesWindow.isOnActiveSpace());
    EXPECT_EQ(take(), (Heard{"space changed", "resigned Desktop Names", "key Tarnwick Settings"}));

    // Ordered front alone it does the same; one on screen already changes nothing.
    namesWindow.orderFrontRegardless();
    EXPECT_EQ(current(1), 3u);
    EXPECT_TRUE(namesWindow.isKeyWindow());
    take();
    namesWindow.orderFrontRegardless();
    EXPECT_EQ(take(), Heard{});

    // A window that follows the user to the active desktop comes along instead.
    ui::Panel overview(Rect(1200, 500, 200, 200), style::kTitled);
    overview.collectionBehavior = ui::collection_behavior::kMoveToActiveSpace;
    overview.makeKeyAndOrderFront();
    env.session.switchDesktop(1, 5);
    overview.makeKeyAndOrderFront();
    EXPECT_EQ(current(1), 5u);
    EXPECT_TRUE(overview.isOnActiveSpace());
}

TEST_F(WindowDesktopsTest, AWindowMovedOntoAnotherDisplayJoinsTheDesktopShownThere) {
    settings.makeKeyAndOrderFront();
    // Onto the Studio Display (screen coordinates 1512 -258 2560 1440).
    settings.setFrame(Rect(2000, 300, 400, 300), false);
    EXPECT_EQ(windows().desktopElsewhere(settings), std::nullopt);
    env.session.switchDesktop(1, 3);
    EXPECT_TRUE(settings.isOnActiveSpace());
    env.session.switchDesktop(2, 6);
    EXPECT_EQ(windows().desktopElsewhere(settings), (Desktop{2, 4}));
}

TEST_F(WindowDesktopsTest, ARemovedDesktopsWindowsMoveToTheDesktopThatTakesItsPlace) {
    env.session.switchDesktop(1, 3);
    settings.makeKeyAndOrderFront();
    env.session.switchDesktop(1, 1);
    ASSERT_TRUE(env.session.removeDesktop(1, 3));
    EXPECT_EQ(windows().desktopElsewhere(settings), (Desktop{1, 5}));
    env.session.switchDesktop(1, 5);
    EXPECT_TRUE(settings.isOnActiveSpace());
}

TEST_F(WindowDesktopsTest, AClickIntoAWindowMakesItKeyAndBringsItForward) {
    settings.makeKeyAndOrderFront();
    namesWindow.makeKeyAndOrderFront();
    take();
    windows().click(inside(settings));
    EXPECT_TRUE(settings.isKeyWindow());
    EXPECT_EQ(windows().panels().front(), &settings);
    EXPECT_EQ(take(), (Heard{"resigned Desktop Names", "key Tarnwick Settings"}));
    // A click into the key window changes nothing.
    windows().click(inside(settings));
    EXPECT_EQ(take(), Heard{});
    // A right click makes no window key and brings none forward.
    windows().rightClick(inside(namesWindow));
    EXPECT_TRUE(settings.isKeyWindow());
    EXPECT_EQ(windows().panels().front(), &settings);
    EXPECT_EQ(take(), Heard{});

    // With another application in front, the click brings ours forward too. That first click
    // reaches a view only when the view takes first clicks; the next one reaches it.
    struct Pressed final : ui::View {
        using View::View;
        void mouseDown(const ui::MouseEvent&) override { ++presses; }
        int presses = 0;
    };
    auto pressed = std::make_shared<Pressed>(Rect(0, 0, 50, 50));
    namesWindow.contentView()->addSubview(pressed);
    env.session.activateApplication(kTerminal);
    windows().click(inside(namesWindow));
    EXPECT_TRUE(env.session.ownApplicationActive());
    EXPECT_TRUE(namesWindow.isKeyWindow());
    EXPECT_EQ(pressed->presses, 0);
    windows().click(inside(namesWindow));
    EXPECT_EQ(pressed->presses, 1);
    // Only the window clicked becomes key: the last key window is not given the keyboard first.
    EXPECT_EQ(take(), (Heard{"resigned Tarnwick Settings", "key Desktop Names"}));

    // A panel that does not activate its application becomes key without bringing ours forward;
    // one that cannot become key stays as it is.
    env.session.activateApplication(kTerminal);
    struct KeyboardPanel final : ui::Panel {
        KeyboardPanel() : Panel(Rect(1200, 600, 100, 100), style::kNonactivatingPanel) {}
        bool canBecomeKey() const override { return true; }
    } keyboard;
    keyboard.orderFrontRegardless();
    windows().click(inside(keyboard));
    EXPECT_TRUE(keyboard.isKeyWindow());
    EXPECT_FALSE(env.session.ownApplicationActive());
    ui::Panel label(Rect(1200, 800, 100, 50), style::kNonactivatingPanel);
    label.orderFrontRegardless();
    windows().click(inside(label));
    EXPECT_TRUE(keyboard.isKeyWindow());
}

TEST_F(WindowDesktopsTest, OurApplicationComingBackGivesTheKeyboardToItsLastKeyWindowWhileOnScreen) {
    settings.makeKeyAndOrderFront();
    namesWindow.makeKeyAndOrderFront();
    env.session.activateApplication(kTerminal);
    EXPECT_EQ(windows().keyPanel(), nullptr);
    take();
    env.session.activateApplication(env.session.system().processID);
    EXPECT_TRUE(namesWindow.isKeyWindow());
    EXPECT_EQ(take(), Heard{"key Desktop Names"});

    // Closed meanwhile, it does not come back, nor does any other.
    env.session.activateApplication(kTerminal);
    namesWindow.close();
    env.session.activateApplication(env.session.system().processID);
    EXPECT_EQ(windows().keyPanel(), nullptr);

    // Nor while it is in the Dock.
    settings.makeKeyAndOrderFront();
    ASSERT_TRUE(windows().miniaturize(settings));
    env.session.activateApplication(kTerminal);
    env.session.activateApplication(env.session.system().processID);
    EXPECT_EQ(windows().keyPanel(), nullptr);
    ASSERT_TRUE(windows().restore(settings));

    // Nor while it is on a desktop that is not current.
    settings.makeKeyAndOrderFront();
    env.session.activateApplication(kTerminal);
    env.session.switchDesktop(1, 3);
    env.session.activateApplication(env.session.system().processID);
    EXPECT_EQ(windows().keyPanel(), nullptr);
}

TEST_F(WindowDesktopsTest, AKeyWindowDestroyedHandsTheKeyboardOnAsAClosedOneDoes) {
    namesWindow.makeKeyAndOrderFront();
    auto about = std::make_unique<ui::Panel>(Rect(300, 300, 200, 150), kTitledWindow);
    about->makeKeyAndOrderFront();
    take();
    about.reset();
    env.settle();
    EXPECT_TRUE(namesWindow.isKeyWindow());
    EXPECT_EQ(take(), Heard{"key Desktop Names"});

    // A window destroyed that was not key takes nothing; in the background none takes over.
    settings.makeKeyAndOrderFront();
    std::make_unique<ui::Panel>(Rect(300, 300, 200, 150), kTitledWindow)->orderFrontRegardless();
    EXPECT_TRUE(settings.isKeyWindow());
    env.session.activateApplication(kTerminal);
    auto other = std::make_unique<ui::Panel>(Rect(300, 300, 200, 150), kTitledWindow);
    other->makeKeyAndOrderFront();
    other.reset();
    env.settle();
    EXPECT_EQ(windows().keyPanel(), nullptr);
}

}  // namespace
}  // namespace tarnwick
