// The simulated user's modifier keys, double clicks, clicks through to Mission Control and
// answers to alerts with typed text.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/sim_alerts.h"

#include "platform/events.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"
#include "platform/ui/screens.h"
#include "support/error.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace flags = platform::modifier_flags;
namespace ui = platform::ui;
using testkit::TestEnvironment;

TEST(InputSessionTest, GlobalMonitorsHearEachChangeOfTheHeldModifiersOnALaterTurn) {
    TestEnvironment env;
    auto& events = *platform::current().events;
    std::vector<platform::ModifierFlags> heard, alsoHeard;
    auto token = events.addGlobalMonitor(platform::event_mask::kFlagsChanged,
                                         [&](const platform::Event& e) { heard.push_back(e.modifierFlags); });
    auto other = events.addGlobalMonitor(platform::event_mask::kFlagsChanged,
                                         [&](const platform::Event& e) { alsoHeard.push_back(e.modifierFlags); });
    ASSERT_TRUE(token && other);
    EXPECT_EQ(platform::event_mask::kFlagsChanged, 4096u);

    env.session.holdModifiers(flags::kOption);
    EXPECT_EQ(events.modifierFlags(), flags::kOption);  // the current flags follow at once
    EXPECT_TRUE(heard.empty());
    env.session.holdModifiers(flags::kShift);
    env.session.holdModifiers(flags::kShift);  // no change, no event
    env.settle();
    EXPECT_EQ(heard, (std::vector<platform::ModifierFlags>{flags::kOption, flags::kOption | flags::kShift}));

    // A monitor removed while an event is on its way does not hear it.
    env.session.releaseModifiers(flags::kShift | flags::kOption);
    events.removeMonitor(*other);
    env.settle();
    EXPECT_EQ(heard.back(), 0u);
    EXPECT_EQ(alsoHeard.size(), 2u);
    EXPECT_EQ(events.modifierFlags(), 0u);

    // A system that installs no monitor gives no token.
    env.session.events().installsMonitors = false;
    EXPECT_FALSE(events.addGlobalMonitor(platform::event_mask::kFlagsChanged, [](const platform::Event&) {}));
}

TEST(InputSessionTest, ADoubleClickWithTheHeldModifiersReachesAPanelTwiceWithRisingCounts) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    ui::Panel panel(Rect(100, 100, 200, 50), ui::style_mask::kNonactivatingPanel);
    struct Recorder : ui::View {
        std::vector<ui::MouseEvent> downs;
        bool acceptsFirstMouse(const ui::MouseEvent&) override { return true; }
        void mouseDown(const ui::MouseEvent& event) override { downs.push_back(event); }
    };
    auto view = std::make_shared<Recorder>();
    panel.setContentView(view);
    panel.orderFrontRegardless();

    env.session.holdModifiers(flags::kOption);
    auto [first, second] = env.session.windowSystem().doubleClick(Point{150, 120});
    EXPECT_EQ(first.panel, &panel);
    ASSERT_EQ(view->downs.size(), 2u);
    EXPECT_EQ(view->downs[0].clickCount, 1);
    EXPECT_EQ(view->downs[1].clickCount, 2);
    EXPECT_EQ(view->downs[1].modifierFlags, flags::kOption);
    EXPECT_EQ(second.modifierFlags, flags::kOption);
    // Modifiers given with a click win over the held ones.
    env.session.windowSystem().click(Point{150, 120}, 0, 1);
    EXPECT_EQ(view->downs.back().modifierFlags, 0u);
}

TEST(InputSessionTest, AClickPastOurPanelsOnADesktopButtonPressesItInMissionControl) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    auto& windows = env.session.windowSystem();
    // Closed: nothing there to press.
    EXPECT_FALSE(windows.click(Point{756, 962}).pressedDesktop);

    env.session.openMissionControl();
    // The second button of the built-in display (its space 3), 20 points below the screen's top.
    auto pressed = windows.click(Point{756, 962});
    ASSERT_TRUE(pressed.pressedDesktop);
    EXPECT_EQ(*pressed.pressedDesktop, (std::pair<std::uint32_t, std::uint64_t>{1, 3}));
    EXPECT_EQ(env.session.navigation.desktopPresses, 1);
    // The second click of a double click presses nothing more; a click between buttons neither.
    EXPECT_FALSE(windows.click(Point{756, 962}, 0, 2).pressedDesktop);
    EXPECT_FALSE(windows.click(Point{756, 500}).pressedDesktop);

    env.advance(0.25);
    EXPECT_EQ(env.session.display(1)->currentSpace, 3u);
    EXPECT_TRUE(env.session.missionControlOpen);
    env.advance(0.2);
    EXPECT_FALSE(env.session.missionControlOpen);
}

TEST(InputSessionTest, AnAlertIsAnsweredWithTypedTextAndRecordedWithItsWindowAndScreen) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.load(R"({"alertAnswers": [{"button": "Save", "text": "Mail"}, "Cancel"]})");

    platform::Alert alert;
    alert.messageText = "Rename Desktop 3";
    alert.informativeText = "Built-in Retina Display\nLeave the name blank to use its default.";
    alert.buttons = {{"Save", "\r"}, {"Cancel", "\x1b"}};
    alert.textField = platform::AlertTextField{"Notes", "Desktop 3", "Desktop name", Rect(0, 0, 280, 24), true};
    alert.layout();
    EXPECT_EQ(alert.window().frame().size, (Size{420, 140 + 16 + 32}));
    alert.window().setFrameOrigin(Point{546, 400});
    alert.window().makeKeyAndOrderFront();

    EXPECT_EQ(alert.runModal(), platform::kAlertFirstButtonReturn);
    EXPECT_EQ(alert.textField->stringValue, "Mail");
    // Answered without text, the field keeps what it holds.
    EXPECT_EQ(alert.runModal(), platform::kAlertSecondButtonReturn);
    EXPECT_EQ(alert.textField->stringValue, "Mail");

    const auto& shown = env.session.alertScript.shown;
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].answer, "Save");
    EXPECT_EQ(shown[0].alert.textField->stringValue, "Mail");
    EXPECT_EQ(shown[0].windowFrame, Rect(546, 400, 420, 188));
    EXPECT_EQ(shown[0].screen, 1u);
    EXPECT_TRUE(shown[0].keyAndFront);
    EXPECT_EQ(shown[1].answer, "Cancel");

    // One its owner ran without bringing it up is laid out and centred on the main screen, a line
    // taller for each line its informative text wraps to.
    platform::Alert plain;
    plain.messageText = "Install Tarnwick";
    plain.informativeText = "Keep Tarnwick in Applications so automatic updates can install and relaunch correctly. "
                            "Your desktop names and settings will be kept.";
    plain.buttons = {{"Install and Open", "\r"}, {"Quit", "\x1b"}};
    EXPECT_EQ(plain.runModal(), platform::kAlertSecondButtonReturn);
    const Rect visible = platform::ui::mainScreen()->visibleFrame;
    const auto lines = sim::SimAlerts::informativeLines(plain.informativeText, sim::SimAlerts::textWidth(420));
    ASSERT_GE(lines.size(), 2u);
    const double height = 140 + 16 * static_cast<double>(lines.size() - 1);
    EXPECT_EQ(shown.at(2).windowFrame, Rect(visible.midX() - 210, visible.midY() - height / 2, 420, height));
    EXPECT_EQ(shown.at(2).screen, 1u);
}

TEST(InputSessionTest, ReadsTheEventsSectionAndRefusesMalformedAnswersAndKeys) {
    TestEnvironment env;
    env.session.load(R"({"events": {"doubleClickInterval": 0.35, "heldModifiers": ["option", "capsLock"]}})");
    EXPECT_EQ(platform::current().events->doubleClickInterval(), 0.35);
    EXPECT_EQ(platform::current().events->modifierFlags(), flags::kOption | flags::kCapsLock);

    auto refused = [](const char* json) {
        TestEnvironment other;
        try {
            other.session.load(json);
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("loaded");
    };
    EXPECT_EQ(refused(R"({"events": {"heldModifiers": ["alt"]}})"),
              "The session file is not valid: events.heldModifiers[0] must be \"shift\", \"control\", \"option\", "
              "\"command\", \"capsLock\" or \"function\".");
    EXPECT_EQ(refused(R"({"events": {"doubleClickInterval": -1}})"),
              "The session file is not valid: events.doubleClickInterval must be a number of seconds, 0 or more.");
    EXPECT_EQ(refused(R"({"alertAnswers": [{"text": "Mail"}]})"),
              "The session file is not valid: alertAnswers[0] needs \"button\".");
    EXPECT_EQ(refused(R"({"alertAnswers": [{"button": "Save", "text": 3}]})"),
              "The session file is not valid: alertAnswers[0].text must be a string.");
}

}  // namespace
}  // namespace tarnwick
