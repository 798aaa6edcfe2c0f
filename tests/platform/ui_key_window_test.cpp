// Which window of ours is key after the key window leaves the screen: closed, miniaturized or
// ordered out, it hands key status to the frontmost window of ours that can become key while our
// application is active, and to none while another application is.

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
using testkit::TestEnvironment;

constexpr std::int32_t kTerminal = 303;
constexpr std::uint64_t kTitledWindow = style::kTitled | style::kClosable | style::kMiniaturizable;

// Tells the log when its window becomes key, as a window's delegate hears it.
struct KeyLog final : ui::WindowDelegate {
    std::vector<std::string>* log = nullptr;
    void windowDidBecomeKey(ui::Panel& w) override { log->push_back("key " + w.title()); }
    LifetimeToken lifetime;
};

// A panel that takes the keyboard without a title bar, as the overview does in its keyboard mode.
struct KeyboardPanel final : ui::Panel {
    KeyboardPanel() : Panel(Rect(50, 50, 100, 100), style::kNonactivatingPanel) { setTitle("Keyboard"); }
    bool canBecomeKey() const override { return takesKeyboard; }
    bool takesKeyboard = true;
};

class KeyWindowTest : public ::testing::Test {
protected:
    KeyWindowTest() {
        env.session.loadDefaultSession();
        delegate.log = &log;
        for (ui::Panel* window : {&settings, &names, &about}) {
            window->setDelegate(delegate, delegate.lifetime);
            observations.push_back(platform::current().notificationCenter->addObserver(
                names::kWindowDidBecomeKey, window,
                [this, window](const platform::Notification&) { log.push_back("became key " + window->title()); }));
        }
        settings.setTitle("Tarnwick Settings");
        names.setTitle("Desktop Names");
        about.setTitle("About Tarnwick");
        env.session.activateApplication(env.session.system().processID);
    }
    // What was heard, the windows' observers included (they hear on a later turn).
    std::vector<std::string> take() {
        env.settle();
        return std::exchange(log, {});
    }
    sim::SimWindowSystem& windows() { return env.session.windowSystem(); }
    ui::Panel* key() { return windows().keyPanel(); }
    // The three windows on screen, About in front and key.
    void showAll() {
        settings.makeKeyAndOrderFront();
        names.makeKeyAndOrderFront();
        about.makeKeyAndOrderFront();
        take();
    }

    TestEnvironment env;
    std::vector<std::string> log;
    KeyLog delegate;
    ui::Panel settings{Rect(100, 100, 400, 300), kTitledWindow};
    ui::Panel names{Rect(150, 150, 400, 300), kTitledWindow};
    ui::Panel about{Rect(200, 200, 200, 150), style::kTitled | style::kClosable};
    std::vector<Subscription> observations;
};

TEST_F(KeyWindowTest, TheFrontmostWindowLeftBecomesKeyWhenTheKeyWindowClosesMiniaturizesOrIsOrderedOut) {
    showAll();
    ASSERT_TRUE(windows().close(about));
    EXPECT_EQ(key(), &names);
    // It hears what becoming key sends: its delegate at once, its observers on a later turn.
    EXPECT_EQ(take(), (std::vector<std::string>{"key Desktop Names", "became key Desktop Names"}));

    ASSERT_TRUE(windows().miniaturize(names));
    EXPECT_EQ(key(), &settings);
    EXPECT_EQ(take(), (std::vector<std::string>{"key Tarnwick Settings", "became key Tarnwick Settings"}));

    // Back from the Dock it is key again; ordered out by the app, it hands key status back.
    ASSERT_TRUE(windows().restore(names));
    EXPECT_EQ(key(), &names);
    take();
    names.orderOut();
    EXPECT_EQ(key(), &settings);
    EXPECT_EQ(take(), (std::vector<std::string>{"key Tarnwick Settings", "became key Tarnwick Settings"}));

    // The last one closed leaves no key window.
    settings.close();
    EXPECT_EQ(key(), nullptr);
    EXPECT_TRUE(take().empty());
}

TEST_F(KeyWindowTest, AWindowThatIsNotKeyLeavingTakesNothingFromTheKeyWindow) {
    showAll();
    windows().close(settings);
    windows().miniaturize(names);
    EXPECT_EQ(key(), &about);
    EXPECT_TRUE(take().empty());
}

TEST_F(KeyWindowTest, OnlyAShownWindowOnTheActiveDesktopThatCanBecomeKeyTakesOver) {
    // In front of our windows on every desktop, yet never key: a panel without a title bar at a
    // higher level, and a keyboard panel while it does not take the keyboard.
    ui::Panel banner(Rect(0, 0, 300, 60), style::kNonactivatingPanel);
    banner.setLevel(ui::window_level::kFloating);
    KeyboardPanel overview;
    overview.takesKeyboard = false;
    for (ui::Panel* panel : {&banner, static_cast<ui::Panel*>(&overview)}) {
        panel->collectionBehavior = ui::collection_behavior::kCanJoinAllSpaces;
        panel->orderFrontRegardless();
    }
    // Settings stays behind on the desktop the user leaves; the others come in on the next one.
    settings.makeKeyAndOrderFront();
    env.session.switchDesktop(1, 3);
    names.makeKeyAndOrderFront();
    about.makeKeyAndOrderFront();
    take();

    windows().close(about);
    EXPECT_EQ(key(), &names);
    windows().miniaturize(names);
    EXPECT_EQ(key(), nullptr);  // Settings is on another desktop, the panels never key
    EXPECT_TRUE(settings.isVisible());

    // Back on its desktop, a keyboard panel in front takes over from Settings when it can.
    env.session.switchDesktop(1, 1);
    settings.makeKey();
    overview.takesKeyboard = true;
    overview.setLevel(ui::window_level::kPopUpMenu);
    overview.orderFrontRegardless();
    ui::Panel front(Rect(10, 10, 100, 100), kTitledWindow);
    front.makeKeyAndOrderFront();
    front.close();
    EXPECT_EQ(key(), &overview);
}

TEST_F(KeyWindowTest, WhileAnotherApplicationIsActiveNoWindowOfOursBecomesKey) {
    showAll();
    env.session.activateApplication(kTerminal);
    EXPECT_EQ(key(), nullptr);
    windows().close(about);
    EXPECT_EQ(key(), nullptr);

    // A panel that took the keyboard without activating us gives it back to the application
    // in front, not to our windows.
    KeyboardPanel overview;
    overview.makeKeyAndOrderFront();
    ASSERT_EQ(key(), &overview);
    take();
    overview.orderOut();
    EXPECT_EQ(key(), nullptr);
    EXPECT_TRUE(take().empty());
}

TEST_F(KeyWindowTest, AWindowThatMakesAnotherKeyAsItResignsKeepsItsChoice) {
    showAll();
    // The resigning window's views hear at once; one of them hands key status to Settings.
    struct Handing final : ui::View {
        using View::View;
        ui::Panel* to = nullptr;
        void windowKeyStateChanged(bool key) override {
            if (!key && to) to->makeKey();
        }
    };
    auto view = std::make_shared<Handing>(Rect(0, 0, 10, 10));
    view->to = &settings;
    about.contentView()->addSubview(view);
    windows().close(about);
    EXPECT_EQ(key(), &settings);
}

}  // namespace
}  // namespace tarnwick
