#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/console/console_commands.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/sim_hot_keys.h"
#include "platform/sim/sim_login_items.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/declarative/nodes.h"
#include "platform/ui/panel.h"
#include "support/executor.h"
#include "testkit/console_driver.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace names = platform::notification_names;
using Lines = std::vector<std::string>;

class ConsoleCommandsTest : public ::testing::Test {
protected:
    // The names of the notifications posted to the three centres since the last call.
    Lines posted() {
        Lines names;
        for (auto* center : {&env.session.workspaceNotificationCenter(), &env.session.notificationCenter(),
                             &env.session.distributedNotificationCenter()}) {
            const auto& log = center->posted();
            std::size_t& seen = seen_[center];
            for (std::size_t i = seen; i < log.total(); ++i) names.push_back(log[i - (log.total() - log.size())].name);
            seen = log.total();
        }
        return names;
    }
    testkit::TestEnvironment env;
    bool loaded = (env.session.loadDefaultSession(), true);
    testkit::ConsoleDriver console{env.session};
    std::map<const void*, std::size_t> seen_;
};

TEST_F(ConsoleCommandsTest, EachBadLineGetsOneErrorAndChangesNothing) {
    const Lines before = console.screen();
    posted();
    const auto pids = env.session.applications.size();
    const Lines bad = {
        "frobnicate",                        // unknown command
        "switch",                            // missing argument
        "switch two",                        // malformed argument
        "switch 0",
        "switch 99",
        "switch 2 3",                        // too many
        "wait -1",
        "wait 99999",
        "wait nan",
        "mission-control sideways",
        "mission-control expand",            // Mission Control is closed
        "click label 2",                     // no label on screen
        "option-double-click label 2",
        "press save",                        // no key window
        "in \"Nowhere\" press save",
        "in \"Nowhere\" switch 2",           // switch acts on no window
        "resize \"Nowhere\" 100 100",
        "close \"Nowhere\"",
        "restore \"Nowhere\"",
        "alert press \"OK\"",                // no alert
        "keys hyper-q",
        "pointer display 42",
        "pointer 1e9 0",
        "display add 1 0 0 100 100 \"Again\" 1",  // the id is taken
        "display add 9 0 0 0 100 \"Flat\" 1",
        "display add 9 0 0 100 100 \"Many\" 17",
        "display remove 42",
        "app quit com.example.absent",
        "app launch com.apple.Safari",       // already running
        "grant camera",
        "login-item approve",                // nothing waits for approval
        "hover status-item",                 // no status item in this session
        "double-click status-item",
        "click status-item option",
        "menu \"Quit Tarnwick\"",
        "reopen",                            // the application has not launched
        "screen svg",
        "type \"unclosed",
        "user elsewhere",
        "switch \xC3\x28",                  // not UTF-8
        "switch 2 " + std::string(4100, '2'),  // over 4,096 bytes
    };
    for (const auto& line : bad) {
        const Lines answer = console.type(line);
        ASSERT_EQ(answer.size(), 1u) << line;
        EXPECT_EQ(answer[0].rfind("error: ", 0), 0u) << line << " -> " << answer[0];
        EXPECT_GT(answer[0].size(), 12u) << line;
    }
    EXPECT_EQ(console.screen(), before);
    EXPECT_EQ(posted(), Lines{});
    EXPECT_EQ(env.session.applications.size(), pids);
    EXPECT_EQ(console.quits, 0);
    // Blank lines and comments are no commands: no answer at all.
    EXPECT_EQ(console.typeAll({"", "   ", "# a note"}), Lines{});
}

TEST_F(ConsoleCommandsTest, TheUsersActsPostWhatTheSystemPosts) {
    posted();
    EXPECT_EQ(console.type("lock"), Lines{"ok"});
    EXPECT_EQ(console.type("unlock"), Lines{"ok"});
    EXPECT_EQ(posted(), (Lines{names::kScreenIsLocked, names::kScreenIsUnlocked}));
    console.typeAll({"sleep", "wake", "screens-sleep", "screens-wake", "user away", "user back"});
    EXPECT_EQ(posted(), (Lines{names::kWillSleep, names::kDidWake, names::kScreensDidSleep, names::kScreensDidWake,
                               names::kSessionDidResignActive, names::kSessionDidBecomeActive}));
    EXPECT_TRUE(env.session.loginSession.onConsole);

    // A restart of the Dock: the old process ends, a new one starts with the Dock's windows.
    const auto oldDock = *env.session.dockPID();
    EXPECT_EQ(console.type("app restart com.apple.dock"), Lines{"ok"});
    const auto newDock = *env.session.dockPID();
    EXPECT_NE(newDock, oldDock);
    EXPECT_EQ(posted(), (Lines{names::kDidTerminateApplication, names::kDidLaunchApplication}));
    for (int i = 0; i < 50; ++i) console.type("app restart com.apple.dock");
    EXPECT_EQ(std::count_if(env.session.applications.begin(), env.session.applications.end(),
                            [](const sim::SimApplication& a) { return a.bundleIdentifier == "com.apple.dock"; }),
              1);  // restarts never pile up
    posted();
    console.type("app quit com.apple.Notes");
    // A second quit finds it gone and says what runs instead.
    for (const char* act : {"quit", "restart", "activate"})
        EXPECT_EQ(console.type(std::string("app ") + act + " com.apple.Notes"),
                  Lines{"error: \"com.apple.Notes\" is not running; running are \"com.apple.WindowManager\", "
                        "\"com.apple.finder\", \"com.apple.Safari\", \"com.apple.Terminal\", \"com.apple.mail\", "
                        "\"com.apple.dock\"; app launch starts it."});
    // Our own application is running, but app is not how it ends.
    EXPECT_EQ(console.type("app quit local.orlenbay.Tarnwick"),
              Lines{"error: \"local.orlenbay.Tarnwick\" is this application; quit ends it as a logout does."});
    console.typeAll({"app launch com.apple.Notes", "app activate com.apple.Notes", "app launch org.example.Editor"});
    EXPECT_EQ(posted(), (Lines{names::kDidTerminateApplication, names::kDidLaunchApplication,
                               names::kDidActivateApplication, names::kDidLaunchApplication}));
    EXPECT_EQ(*env.session.applicationWithBundleID("org.example.Editor")->name, "Editor");
    EXPECT_EQ(*env.session.applicationWithBundleID("com.apple.Notes")->name, "Notes");
    // Nor does a launch start a second copy of it.
    const auto applications = env.session.applications.size();
    EXPECT_EQ(console.type("app launch local.orlenbay.Tarnwick"),
              Lines{"error: \"local.orlenbay.Tarnwick\" is this application, running already; quit ends it as a "
                    "logout does."});
    EXPECT_EQ(env.session.applications.size(), applications);
    EXPECT_EQ(posted(), Lines{});

    console.typeAll({"revoke accessibility", "revoke screen-recording"});
    EXPECT_FALSE(env.session.accessibilityTrusted);
    EXPECT_FALSE(env.session.system().screenCaptureAllowed);
    console.typeAll({"grant accessibility", "grant screen-recording"});
    EXPECT_TRUE(env.session.accessibilityTrusted);
    EXPECT_TRUE(env.session.system().screenCaptureAllowed);
    env.session.loginItem().state = platform::LoginItemStatus::requiresApproval;
    EXPECT_EQ(console.type("login-item approve"), Lines{"ok"});
    EXPECT_EQ(env.session.loginItem().state, platform::LoginItemStatus::enabled);
}

// A command is answered once what it set going has run, on this thread or a worker's, and has
// been printed; a timer it started is a later change, printed when it comes.
TEST_F(ConsoleCommandsTest, AnAnswerWaitsForTheCommandsWorkOnWorkerThreadsButNotForItsTimers) {
    ThreadExecutor worker("test.worker");
    int heard = 0;
    const auto subscription = env.session.workspaceNotificationCenter().addObserver(
        names::kActiveSpaceDidChange, [&](const platform::Notification&) {
            if (++heard > 1) return;
            worker.submit([&] {
                // Long enough for an answer that did not wait to come first.
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                env.loop.post([&] { env.session.switchDesktop(2, 6); });
            });
            env.loop.postAfter(0.5, [&] { env.session.switchDesktop(1, 5); });
        });
    EXPECT_EQ(console.type("switch 2"), (Lines{"@1000.000 desktop switched on display 1 to \"Desktop 2\"",
                                               "@1000.000 desktop switched on display 2 to \"Desktop 5\"", "ok"}));
    EXPECT_EQ(console.type("wait 1"), (Lines{"@1000.500 desktop switched on display 1 to \"Desktop 3\"", "ok"}));
}

TEST_F(ConsoleCommandsTest, DisplaysAndDesktopsChangeAsTheUserChangesThem) {
    EXPECT_EQ(console.type("display add 3 4072 0 1920 1080 \"Side <Display>\" 2"),
              (Lines{"@1000.000 display added 3 \"Side <Display>\" at 4072 0 1920 1080 current \"Desktop 7\"", "ok"}));
    const auto* added = env.session.display(3);
    ASSERT_TRUE(added);
    ASSERT_EQ(added->spaces.size(), 2u);
    EXPECT_EQ(*added->uuid, "D15B1A00-0000-4000-8000-000000000003");
    EXPECT_EQ(posted().back(), names::kScreenParametersDidChange);
    EXPECT_EQ(console.type("switch 8"), (Lines{"@1000.000 desktop switched on display 3 to \"Desktop 8\"", "ok"}));
    EXPECT_EQ(console.type("mission-control open"), (Lines{"@1000.000 mission-control opened", "ok"}));
    EXPECT_EQ(console.type("mission-control expand"), (Lines{"@1000.000 mission-control expanded", "ok"}));
    EXPECT_EQ(console.type("mission-control close"), (Lines{"@1000.000 mission-control closed", "ok"}));
    EXPECT_EQ(console.type("display remove 3"), (Lines{"@1000.000 display removed 3 \"Side <Display>\"", "ok"}));
    EXPECT_EQ(console.type("pointer display 2"), Lines{"ok"});
    EXPECT_EQ(console.screen().at(4), "pointer at 2792 520");
    EXPECT_EQ(console.typeAll({"pointer 10.5 20", "screen"}).at(5), "pointer at 10.5 20");
}

// A root view of a test's own.
class FormView final : public ui::DeclarativeView {
public:
    ui::Node body(ui::ViewContext&) override {
        return ui::vstack(ui::HorizontalAlignment::leading, 8,
                          ui::nodes(ui::text("Desktop names"),
                                    ui::button(ui::text("Save"), [this] { ++saves; }).accessibilityIdentifier("save"),
                                    ui::button(ui::text("Cancel"), [] {}).disabled(),
                                    ui::button(ui::text("Name"), [] {})
                                        .focused(focus, 1)
                                        .accessibilityIdentifier("name")
                                        .accessibilityValue("Work")));
    }
    void observe(ui::ViewHost& host) override { host.watch(focus); }
    int saves = 0;
    Published<std::optional<int>> focus{std::nullopt};
};

TEST_F(ConsoleCommandsTest, ControlsOfAWindowsTreeByIdentifierOrTitle) {
    auto view = std::make_unique<FormView>();
    FormView* form = view.get();
    auto hosting = std::make_shared<ui::HostingView>(std::move(view));
    ui::Panel window(Rect(200, 300, 320, 200), ui::style_mask::kTitled | ui::style_mask::kClosable |
                                                   ui::style_mask::kResizable | ui::style_mask::kMiniaturizable);
    window.setTitle("Desktop Names");
    window.setContentView(hosting);
    hosting->layoutSubtreeIfNeeded();
    const Lines shown = console.type("wait 0");  // nothing on screen yet
    EXPECT_EQ(shown, Lines{"ok"});
    window.makeKeyAndOrderFront();

    const Lines screen = console.screen();
    const auto row = std::find_if(screen.begin(), screen.end(), [](const std::string& l) { return l.rfind("window ", 0) == 0; });
    ASSERT_NE(row, screen.end());
    EXPECT_EQ(row->substr(0, 64), "window 600000 \"Desktop Names\" at 200 482 320 200 level 0 alpha 1");
    EXPECT_NE(row->find(" key texts \"Desktop names\" \"Save\" \"Cancel\" \"Name\""), std::string::npos) << *row;
    // A button is named by its title, as the window's texts name it.
    EXPECT_NE(std::find(row, screen.end(), "      button \"Save\" id \"save\""), screen.end());
    EXPECT_NE(std::find(row, screen.end(), "      button \"Cancel\" disabled"), screen.end());
    EXPECT_NE(std::find(row, screen.end(), "        text \"Cancel\" disabled"), screen.end());
    EXPECT_NE(std::find(row, screen.end(), "      button \"Name\" value \"Work\" id \"name\""), screen.end());

    EXPECT_EQ(console.type("press save"), Lines{"ok"});
    EXPECT_EQ(console.type("in \"Desktop Names\" press \"Save\""), Lines{"ok"});
    EXPECT_EQ(form->saves, 2);
    EXPECT_EQ(console.type("press Cancel"), Lines{"error: \"Cancel\" is disabled."});
    EXPECT_EQ(console.type("press Delete").at(0).rfind("error: The window \"Desktop Names\" shows nothing", 0), 0u);
    EXPECT_EQ(console.type("press \"Desktop names\""), Lines{"error: \"Desktop names\" is a text, which takes no click."});
    EXPECT_EQ(console.type("focus save"),
              Lines{"error: \"save\" is a button, which cannot take the keyboard focus; press clicks it."});
    EXPECT_EQ(console.type("focus name"), Lines{"ok"});
    EXPECT_EQ(form->focus.get(), std::optional<int>(1));

    // Something in front of the window takes the click instead.
    ui::Panel cover(Rect(200, 300, 320, 200), ui::style_mask::kBorderless);
    cover.setLevel(ui::window_level::kFloating);
    cover.orderFrontRegardless();
    EXPECT_EQ(console.type("press save"), (Lines{"@1000.000 shown window 600001 \"\" at 200 482 320 200 level 3",
                                                 "error: \"save\" is covered by another window."}));
    EXPECT_EQ(form->saves, 2);
    cover.orderOut();
    console.type("wait 0");
    // A window of its level in front covers it too; named with `in`, the window is clicked into
    // first, which brings it forward, and the press lands.
    ui::Panel over(Rect(200, 300, 320, 200), ui::style_mask::kTitled);
    over.setTitle("Over");
    over.makeKeyAndOrderFront();
    console.type("wait 0");
    // The answer names the window in front and the command that brings this one forward.
    EXPECT_EQ(console.type("press save"),
              Lines{"error: \"save\" is covered by the window \"Over\"; in \"Desktop Names\" press save brings the "
                    "window \"Desktop Names\" forward and presses it."});
    EXPECT_EQ(console.type("in \"Desktop Names\" press save").back(), "ok");
    EXPECT_EQ(form->saves, 3);
    EXPECT_TRUE(window.isKeyWindow());
    over.orderOut();
    console.type("wait 0");

    // The window's buttons.
    EXPECT_EQ(console.type("resize \"Desktop Names\" 400 250"),
              (Lines{"@1000.000 moved window 600000 \"Desktop Names\" to 200 482 400 250", "ok"}));
    EXPECT_EQ(console.type("miniaturize \"Desktop Names\""),
              (Lines{"@1000.000 hidden window 600000 \"Desktop Names\"", "ok"}));
    EXPECT_EQ(console.type("restore \"Desktop Names\"").back(), "ok");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(console.type("close \"Desktop Names\""), (Lines{"@1000.000 hidden window 600000 \"Desktop Names\"", "ok"}));
    ui::Panel plain(Rect(0, 0, 10, 10), ui::style_mask::kBorderless);
    plain.setTitle("Plain");
    plain.orderFrontRegardless();
    console.type("wait 0");
    EXPECT_EQ(console.type("close Plain"), Lines{"error: The window \"Plain\" has no close button."});
    EXPECT_EQ(console.type("resize Plain 20 20"), Lines{"error: The window \"Plain\" cannot be resized."});
    EXPECT_EQ(console.type("miniaturize Plain"), Lines{"error: The window \"Plain\" cannot be miniaturized."});
}

// A label's view: notes each press with its click count and whether Option was held.
class PressedView final : public ui::View {
public:
    using View::View;
    bool acceptsFirstMouse(const platform::ui::MouseEvent&) override { return true; }
    void mouseDown(const platform::ui::MouseEvent& event) override {
        presses.push_back(std::to_string(event.clickCount) +
                          ((event.modifierFlags & platform::modifier_flags::kOption) ? " option" : ""));
    }
    Lines presses;
};

TEST_F(ConsoleCommandsTest, LabelsOverMissionControlsCaptionsTakeTheClicks) {
    EXPECT_EQ(console.type("click label 2"),
              Lines{"error: Mission Control is not open, so no label shows; type mission-control open first."});
    console.type("mission-control open");
    EXPECT_EQ(console.type("click label 2"),
              Lines{"error: No label shows over \"Desktop 2\"; labels show over named desktops once they settle (wait "
                    "a little)."});
    EXPECT_EQ(console.type("click label 12"), Lines{"error: Mission Control shows no \"Desktop 12\"; screen lists the captions."});

    // A label of ours over "Desktop 2"'s caption, above Mission Control.
    const sim::GlobalSpace space = sim::GlobalSpace::of(env.session);
    Rect caption;
    for (const auto& bar : sim::MissionControlLayout::bars(env.session, env.clock.uptime()))
        for (const auto& button : bar.buttons)
            if (button.title == "Desktop 2") caption = button.caption;
    const Point middle = space.toScreen(Point{caption.midX(), caption.midY()});
    ui::Panel label(Rect(middle.x - 50, middle.y - 12, 100, 24), ui::style_mask::kBorderless);
    label.setLevel(ui::window_level::kMissionControl + 1);
    auto view = std::make_shared<PressedView>(Rect(0, 0, 100, 24));
    label.contentView()->addSubview(view);
    label.orderFrontRegardless();

    EXPECT_EQ(console.type("click label 2").back(), "ok");
    EXPECT_EQ(console.type("option-double-click label 2"), Lines{"ok"});
    EXPECT_EQ(view->presses, (Lines{"1", "1 option", "2 option"}));
    EXPECT_EQ(env.session.events().modifierFlags(), 0u);  // Option is let go again
    EXPECT_EQ(console.type("option-double-click caption 2"),
              Lines{"error: option-double-click takes label <N>; type option-double-click label <N>."});
}

// A view of a non-activating key panel that keeps the keys it hears.
struct KeyView final : ui::View {
    using View::View;
    Lines heard;
    bool acceptsFirstResponder() const override { return true; }
    bool keyDown(const platform::KeyEvent& e) override {
        heard.push_back(std::to_string(e.keyCode) + " " + e.characters + " " + std::to_string(e.modifierFlags));
        return true;
    }
};

TEST_F(ConsoleCommandsTest, KeysGoWhereTheSystemSendsThem) {
    struct KeyPanel final : ui::Panel {
        using Panel::Panel;
        bool canBecomeKey() const override { return true; }
    } panel(Rect(100, 100, 300, 200), ui::style_mask::kNonactivatingPanel);
    auto view = std::make_shared<KeyView>(Rect(0, 0, 300, 200));
    panel.contentView()->addSubview(view);
    panel.makeKeyAndOrderFront();
    ASSERT_TRUE(panel.makeFirstResponder(view.get()));

    EXPECT_EQ(console.type("keys shift-a").back(), "ok");
    EXPECT_EQ(console.type("keys return").back(), "ok");
    EXPECT_EQ(view->heard, (Lines{"0 A " + std::to_string(platform::modifier_flags::kShift), "36 \r 0"}));
    // A registered global shortcut reaches its owner and nothing else, with the modifiers typed.
    ASSERT_TRUE(env.session.registerHotKeyInOtherApplication(13, 0x1900));
    EXPECT_EQ(console.type("keys ctrl-opt-cmd-w"), Lines{"ok"});
    EXPECT_EQ(view->heard.size(), 2u);
    EXPECT_TRUE(env.session.keyPresses.back().hotKey);
    EXPECT_EQ(env.session.hotKeys().deliveries().back().owner, "another application");
    EXPECT_EQ(console.type("keys ctrl-"), Lines{"error: \"ctrl-\" is no key; name a key with its modifiers, as in keys "
                                                "ctrl-opt-cmd-w, keys cmd-r or keys return."});
}

TEST_F(ConsoleCommandsTest, ExtraWordsAndNumbersPastEveryRangeAreRefusedAlikeByEveryCommand) {
    const Lines before = console.screen();
    // More words than any form of any command takes: each command says so, with its usage.
    const std::string extra = " x x x x x x x x x x x x x x x x x x x x";
    for (const auto& command : sim::consoleCommands()) {
        const Lines answer = console.type(command.name + extra);
        // Without an open alert, alert is refused before its words are read.
        const std::string expected = command.name == "alert"
                                         ? "error: No alert is open; alert answers an alert that shows."
                                         : "error: Too many words for " + command.name + "; type " + command.usage + ".";
        EXPECT_EQ(answer, Lines{expected}) << command.name;
    }
    EXPECT_EQ(console.type("help me"), Lines{"error: Too many words for help; type help."});

    // A whole number too large for any range is whole all the same: it is out of range, and the
    // answer names the range and the number as typed, in every command that takes one.
    const std::vector<std::pair<std::string, std::string>> numbers{
        {"switch 99999999999999999999", "The desktop's number must be from 1 to 6, not 99999999999999999999."},
        {"switch -99999999999999999999", "The desktop's number must be from 1 to 6, not -99999999999999999999."},
        {"switch 007", "The desktop's number must be from 1 to 6, not 007."},
        {"switch 2.0", "\"2.0\" is no whole number; the desktop's number is a whole number from 1 to 6."},
        {"pointer display 99999999999999999999", "The display id must be from 0 to 4294967295, not 99999999999999999999."},
        {"display remove 18446744073709551616", "The display id must be from 0 to 4294967295, not 18446744073709551616."},
        {"display add 99999999999999999999 0 0 100 100 \"Big\" 1",
         "The display id must be from 1 to 4294967295, not 99999999999999999999."},
        {"display add 9 0 0 100 100 \"Big\" 99999999999999999999",
         "The number of desktops must be from 1 to 16, not 99999999999999999999."},
    };
    for (const auto& [line, sentence] : numbers) EXPECT_EQ(console.type(line), Lines{"error: " + sentence}) << line;

    // A modifier named twice, by the same name or another, is a slip the answer names.
    for (const char* keys : {"ctrl-ctrl-k", "ctrl-control-k", "cmd-shift-command-q"}) {
        const std::string modifier = std::string(keys).find("cmd") == 0 ? "Command" : "Control";
        EXPECT_EQ(console.type(std::string("keys ") + keys),
                  Lines{"error: \"" + std::string(keys) + "\" names the " + modifier +
                        " key twice; name each modifier once, as in keys ctrl-opt-cmd-w."});
    }
    EXPECT_EQ(console.screen(), before);
    EXPECT_EQ(console.quits, 0);
}

TEST_F(ConsoleCommandsTest, HelpListsEveryCommandAndQuitLogsOutWithoutAnAnswer) {
    const Lines help = console.type("help");
    ASSERT_EQ(help.back(), "ok");
    // Each usage starts a line; its description follows on that line or, for a usage too long to
    // share one, on the next; every description starts in the same column, however long the usage.
    std::set<std::size_t> columns;
    for (const auto& command : sim::consoleCommands()) {
        const auto line = std::find_if(help.begin(), help.end(), [&](const std::string& shown) {
            return shown.rfind(command.usage, 0) == 0 &&
                   (shown.size() == command.usage.size() || shown[command.usage.size()] == ' ');
        });
        ASSERT_NE(line, help.end()) << command.name;
        const bool ownLine = line->size() == command.usage.size();
        const std::string& described = ownLine ? *std::next(line) : *line;
        const std::size_t at = described.find(command.summary);
        ASSERT_NE(at, std::string::npos) << command.name;
        EXPECT_EQ(described.find_first_not_of(' ', ownLine ? 0 : command.usage.size()), at) << command.name;
        EXPECT_EQ(at + command.summary.size(), described.size()) << command.name;
        columns.insert(at);
    }
    EXPECT_EQ(columns.size(), 1u);
    // Long usages take their own line rather than pushing the column out.
    EXPECT_LE(*columns.begin(), 48u);
    EXPECT_NE(std::find(help.begin(), help.end(), sim::findConsoleCommand("display")->usage), help.end());
    // Text fields, switches and pickers are not in this build: the commands say so.
    EXPECT_EQ(console.type("in \"Nowhere\" type name \"Work\"").back(),
              "error: No window titled \"Nowhere\" is on screen, nor any other window of ours with a title.");
    EXPECT_EQ(console.type("quit now").back(), "error: Too many words for quit; type quit.");
    EXPECT_EQ(console.typeAll({"quit", "switch 2"}), Lines{});
    EXPECT_EQ(console.quits, 1);
    EXPECT_EQ(env.session.display(1)->currentSpace, 1u);  // nothing runs once the quit began
}

}  // namespace
}  // namespace tarnwick
