// Key presses from the user to a hot key or our key window, the first responder, activation of
// applications, the notifications of one window, and the desktop a panel is on.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/notifications.h"
#include "platform/sim/sim_hot_keys.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
namespace keys = platform::key_codes;
namespace names = platform::notification_names;
using testkit::TestEnvironment;

constexpr std::int32_t kOwnPID = 4242;
constexpr std::int32_t kTerminal = 303;

// A view that keeps the keys it hears; it consumes those it is told to.
struct KeyView : ui::View {
    using View::View;
    std::string name;
    std::vector<std::string>* log = nullptr;
    bool consumesKeys = false;
    bool consumesEquivalents = false;
    bool refusesToResign = false;
    int moves = 0;
    bool acceptsFirstResponder() const override { return true; }
    bool resignFirstResponder() override { return !refusesToResign; }
    bool keyDown(const platform::KeyEvent& e) override {
        log->push_back(name + (e.isRepeat ? " repeat " : " key ") + std::to_string(e.keyCode));
        return consumesKeys || View::keyDown(e);
    }
    bool performKeyEquivalent(const platform::KeyEvent& e) override {
        log->push_back(name + " equivalent");
        return consumesEquivalents || View::performKeyEquivalent(e);
    }
    void viewDidMoveToWindow() override { ++moves; }
};

struct KeyPanel : ui::Panel {
    using Panel::Panel;
    std::vector<std::string>* log = nullptr;
    bool canBecomeKey() const override { return true; }
    void cancelOperation() override { log->push_back("cancel"); }
};

class KeysTest : public ::testing::Test {
protected:
    KeysTest() {
        env.session.loadDefaultSession();
        panel.log = &log;
        outer->name = "outer";
        inner->name = "inner";
        outer->log = inner->log = &log;
        panel.contentView()->addSubview(outer);
        outer->addSubview(inner);
    }
    std::vector<std::string> take() { return std::exchange(log, {}); }

    TestEnvironment env;
    std::vector<std::string> log;
    KeyPanel panel{Rect(100, 100, 300, 200), ui::style_mask::kNonactivatingPanel};
    std::shared_ptr<KeyView> outer = std::make_shared<KeyView>(Rect(0, 0, 300, 200));
    std::shared_ptr<KeyView> inner = std::make_shared<KeyView>(Rect(10, 10, 100, 100));
};

TEST_F(KeysTest, APressGoesToAHotKeyFirstElseUpTheChainOfOurKeyWindow) {
    panel.makeKeyAndOrderFront();
    ASSERT_TRUE(panel.makeFirstResponder(inner.get()));
    env.session.pressKeys(keys::kTab, 0);
    EXPECT_TRUE(take().empty());  // delivered on the run loop
    env.settle();
    EXPECT_EQ(take(), (std::vector<std::string>{"inner key 48", "outer key 48"}));

    // Command: first a key equivalent down the tree, then the first responder.
    inner->consumesEquivalents = true;
    env.session.pressKeys(31, flags::kCommand);
    env.settle();
    EXPECT_EQ(take(), (std::vector<std::string>{"outer equivalent", "inner equivalent"}));
    ASSERT_TRUE(env.session.keyPresses.back().consumed);

    // Escape nobody consumes is the window's cancel operation; a held key repeats.
    env.session.keyDown(keys::kEscape, 0);
    env.session.keyDown(keys::kEscape, 0);
    env.session.keyUp(keys::kEscape, 0);
    env.settle();
    EXPECT_EQ(take(), (std::vector<std::string>{"inner key 53", "outer key 53", "cancel", "inner repeat 53",
                                                "outer repeat 53", "cancel"}));

    // A registered combination reaches its hot key and nothing else.
    ASSERT_TRUE(env.session.registerHotKeyInOtherApplication(13, 0x1900));
    env.session.pressKeys(13, flags::kControl | flags::kOption | flags::kCommand | flags::kCapsLock);
    env.settle();
    EXPECT_TRUE(take().empty());
    EXPECT_TRUE(env.session.keyPresses.back().hotKey);
    EXPECT_EQ(env.session.hotKeys().deliveries().back().owner, "another application");
}

TEST_F(KeysTest, OnlyANonactivatingKeyWindowHearsKeysWhileAnotherApplicationIsActive) {
    ui::Panel titled(Rect(0, 0, 100, 100), ui::style_mask::kTitled);
    titled.makeKeyAndOrderFront();
    env.session.pressKeys(keys::kReturn, 0);
    env.settle();
    EXPECT_EQ(env.session.keyPresses.back().application, kTerminal);

    panel.makeKeyAndOrderFront();
    panel.makeFirstResponder(outer.get());
    env.session.pressKeys(keys::kReturn, 0);
    env.settle();
    EXPECT_EQ(take(), (std::vector<std::string>{"outer key 36"}));
    EXPECT_EQ(env.session.keyPresses.back().window, panel.windowNumber());
}

TEST_F(KeysTest, TheFirstResponderMayRefuseAndLeavesWithItsSubtree) {
    ui::Panel other(Rect(0, 0, 50, 50), ui::style_mask::kNonactivatingPanel);
    auto stranger = std::make_shared<KeyView>(Rect(0, 0, 10, 10));
    other.contentView()->addSubview(stranger);
    EXPECT_FALSE(panel.makeFirstResponder(stranger.get()));  // not a view of this window
    ASSERT_TRUE(panel.makeFirstResponder(inner.get()));
    inner->refusesToResign = true;
    EXPECT_FALSE(panel.makeFirstResponder(outer.get()));
    EXPECT_EQ(panel.firstResponder(), inner.get());

    const int moves = inner->moves;
    outer->removeFromSuperview();
    EXPECT_EQ(panel.firstResponder(), nullptr);
    EXPECT_EQ(inner->moves, moves + 1);
    other.contentView()->addSubview(outer);
    EXPECT_EQ(inner->window(), &other);
    EXPECT_EQ(inner->moves, moves + 2);
}

TEST_F(KeysTest, ActivationMakesAnApplicationFrontmostAndTakesKeyFromOurWindows) {
    std::vector<std::string> heard;
    auto& center = *platform::current().notificationCenter;
    auto active = center.addObserver(names::kApplicationDidBecomeActive,
                                     [&](const platform::Notification&) { heard.push_back("active"); });
    auto resigned = center.addObserver(names::kWindowDidResignKey, &panel,
                                       [&](const platform::Notification&) { heard.push_back("resign"); });
    panel.makeKeyAndOrderFront();

    platform::current().application->activate(false);
    EXPECT_EQ(platform::current().workspace->frontmostApplication(), kOwnPID);
    EXPECT_TRUE(platform::current().application->isActive());
    const auto own = platform::current().workspace->runningApplication(kOwnPID);
    ASSERT_TRUE(own);
    EXPECT_TRUE(own->isActive);
    platform::current().application->activate(false);  // already active: heard once
    env.settle();
    EXPECT_EQ(heard, (std::vector<std::string>{"active"}));

    EXPECT_TRUE(platform::current().workspace->activateApplication(kTerminal));
    EXPECT_FALSE(platform::current().workspace->activateApplication(999));
    EXPECT_FALSE(panel.isKeyWindow());
    env.settle();
    EXPECT_EQ(heard, (std::vector<std::string>{"active", "resign"}));
}

TEST_F(KeysTest, WindowNotificationsReachOnlyTheObserversOfThatWindow) {
    ui::Panel other(Rect(0, 0, 50, 50), ui::style_mask::kNonactivatingPanel);
    std::vector<std::string> heard;
    auto& center = *platform::current().notificationCenter;
    std::vector<Subscription> observers;
    for (const char* name : {names::kWindowDidMove, names::kWindowDidChangeScreen, names::kWindowDidChangeOcclusionState,
                             names::kWindowWillClose})
        observers.push_back(center.addObserver(name, &panel, [&, name](const platform::Notification& n) {
            EXPECT_EQ(n.object, &panel);
            heard.push_back(name);
        }));
    panel.orderFrontRegardless();
    other.orderFrontRegardless();
    other.setFrame(Rect(10, 10, 50, 50), true);
    panel.setFrame(Rect(120, 100, 300, 200), true);     // moved on the same screen
    panel.setFrame(Rect(2000, 100, 300, 200), true);    // onto the studio display
    env.session.windowSystem().setOccluded(panel, true);
    panel.close();
    env.settle();
    EXPECT_EQ(heard, (std::vector<std::string>{names::kWindowDidChangeOcclusionState, names::kWindowDidMove,
                                               names::kWindowDidMove, names::kWindowDidChangeScreen,
                                               names::kWindowDidChangeOcclusionState, names::kWindowWillClose}));
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(KeysTest, APanelThatMovesToTheActiveDesktopStaysBehindWhenTheUserSwitches) {
    namespace behavior = ui::collection_behavior;
    panel.collectionBehavior = 330;
    ui::Panel everywhere(Rect(200, 100, 50, 50), ui::style_mask::kNonactivatingPanel);
    everywhere.collectionBehavior = 337;
    panel.orderFrontRegardless();
    everywhere.orderFrontRegardless();
    EXPECT_TRUE(panel.isOnActiveSpace());
    EXPECT_EQ(panel.occlusionState(), ui::occlusion_state::kVisible);

    env.session.switchDesktop(1, 3);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_FALSE(panel.isOnActiveSpace());
    EXPECT_TRUE(everywhere.isOnActiveSpace());
    const auto onScreen = env.session.windowSystem().onScreenPanels();
    EXPECT_EQ(std::count(onScreen.begin(), onScreen.end(), &panel), 0);

    // Made key (or ordered in) again, it joins the desktop the user sees now.
    panel.makeKey();
    EXPECT_TRUE(panel.isOnActiveSpace());
    env.session.switchDesktop(1, 1);
    EXPECT_FALSE(panel.isOnActiveSpace());
    panel.orderFrontRegardless();
    EXPECT_TRUE(panel.isOnActiveSpace());
    EXPECT_EQ(panel.collectionBehavior & behavior::kCanJoinAllSpaces, 0u);
}

}  // namespace
}  // namespace tarnwick
