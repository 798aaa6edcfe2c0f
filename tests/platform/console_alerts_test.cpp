#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/alerts.h"
#include "testkit/console_driver.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using Lines = std::vector<std::string>;

// A rename prompt that shows 0.5 s from now, as the app's would.
struct Prompt {
    explicit Prompt(testkit::TestEnvironment& env) {
        alert.messageText = "Rename Desktop 4";
        alert.informativeText = "Studio Display";
        alert.textField = platform::AlertTextField{"Desktop 4", "Desktop 4", "Desktop name", Rect(0, 0, 280, 24), true};
        alert.buttons = {{"Save", "\r"}, {"Cancel", "\x1b"}};
        env.loop.postAfter(0.5, [this] {
            response = alert.runModal();
            closedAt = RunLoop::main().uptime();
        });
    }
    platform::Alert alert;
    std::optional<platform::ModalResponse> response;
    double closedAt = 0;
};

// Answers every alert with Escape, as a signal does, once the scope has lasted ten seconds: an
// alert that would wait for good fails the test instead of hanging it.
class AlertWatchdog {
public:
    explicit AlertWatchdog(sim::Console& console)
        : thread_([this, &console] {
              std::unique_lock lock(mutex_);
              if (ended_.wait_for(lock, std::chrono::seconds(10), [this] { return done_; })) return;
              fired = true;
              console.interrupt();
          }) {}
    ~AlertWatchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        ended_.notify_all();
        thread_.join();
    }
    std::atomic<bool> fired{false};

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread thread_;
};

class ConsoleAlertTest : public ::testing::Test {
protected:
    testkit::TestEnvironment env;
    bool loaded = (env.session.loadDefaultSession(), true);
    testkit::ConsoleDriver console{env.session};
};

TEST_F(ConsoleAlertTest, AnAlertWithoutAScriptedAnswerWaitsForTheConsolesAnswer) {
    Prompt prompt(env);
    std::vector<double> timer;
    env.loop.postAfter(0.7, [&] { timer.push_back(env.clock.uptime()); });
    const Lines lines = console.typeAll({"wait 2", "switch 2", "screen", "wait 1", "alert type \"Work & play\"",
                                         "alert press \"Keep\"", "keys return"});
    const Lines expected{
        "@1000.500 alert \"Rename Desktop 4\" informative \"Studio Display\" field \"Desktop 4\" buttons \"Save\" \"Cancel\"",
        "ok",  // the wait that led to the alert
        "error: An alert is open (\"Rename Desktop 4\"); answer it first with alert press \"<button>\" (screen and wait "
        "work meanwhile).",
        "display 1 \"Built-in Retina Display\" at 0 0 1512 982 current \"Desktop 1\" desktops \"Desktop 1\" \"Desktop 2\" "
        "\"Desktop 3\"",
        "display 2 \"Studio Display\" at 1512 -200 2560 1440 current \"Desktop 4\" desktops \"Desktop 4\" \"Desktop 5\" "
        "\"Desktop 6\" \"Safari\"",
        "mission-control closed",
        "session awake unlocked screens-awake user-here",
        "pointer at 0 982",
        "status-item none",
        "alert \"Rename Desktop 4\" informative \"Studio Display\" field \"Desktop 4\" buttons \"Save\" \"Cancel\"",
        "ok",
        "ok",  // time passes while the alert waits; timers wait for it to close
        "ok",
        "error: The alert has no button \"Keep\"; press one of \"Save\", \"Cancel\".",
        "@1001.500 alert closed with \"Save\"",
        "ok",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(prompt.response, platform::kAlertFirstButtonReturn);
    EXPECT_EQ(prompt.alert.textField->stringValue, "Work & play");
    EXPECT_EQ(prompt.closedAt, 1001.5);
    EXPECT_EQ(timer, std::vector<double>{1001.5});  // due at 1000.7, run when the alert closed
    // The first wait goes on to its end after the alert: the desktop switch was refused.
    EXPECT_EQ(env.clock.uptime(), 1002.0);
    EXPECT_EQ(env.session.display(1)->currentSpace, 1u);
}

TEST_F(ConsoleAlertTest, ScriptedAnswersComeFirstAndEveryAlertIsPrinted) {
    env.session.alertScript.answers.push_back(sim::SimAlertAnswer("Cancel"));
    Prompt prompt(env);
    EXPECT_EQ(console.type("wait 1"),
              (Lines{"@1000.500 alert \"Rename Desktop 4\" informative \"Studio Display\" field \"Desktop 4\" buttons "
                     "\"Save\" \"Cancel\"",
                     "@1000.500 alert closed with \"Cancel\"", "ok"}));
    EXPECT_EQ(prompt.response, platform::kAlertSecondButtonReturn);
}

// Once input has ended nobody can answer: this alert and any that shows later (while the
// logout runs) is dismissed with Escape.
TEST_F(ConsoleAlertTest, TheEndOfInputAnswersThisAndEveryLaterAlertWithEscapeAndThenQuits) {
    AlertWatchdog watchdog(console.console);
    Prompt prompt(env);
    console.console.receive("wait 1");
    console.console.endOfInput();
    console.console.drain();
    EXPECT_EQ(console.sink.takeLines(),
              (Lines{"@1000.500 alert \"Rename Desktop 4\" informative \"Studio Display\" field \"Desktop 4\" buttons "
                     "\"Save\" \"Cancel\"",
                     "ok", "@1000.500 alert closed with \"Cancel\""}));
    EXPECT_EQ(prompt.response, platform::kAlertSecondButtonReturn);
    env.settle();  // the end of input, once more, now that the alert is gone
    EXPECT_EQ(console.quits, 1);
    Prompt later(env);
    env.advance(1);
    EXPECT_EQ(later.response, platform::kAlertSecondButtonReturn);
    EXPECT_EQ(console.quits, 1);
    EXPECT_FALSE(watchdog.fired) << "an alert waited for an answer after the end of input";
}

// Once the process was asked to end, no alert may hold up the termination: this one and every
// later one is answered with Escape at once.
TEST_F(ConsoleAlertTest, ASignalAnswersEveryAlertFromThenOnWithEscape) {
    Prompt first(env);
    console.console.receive("wait 1");
    console.console.interrupt();
    console.console.drain();
    EXPECT_EQ(first.response, platform::kAlertSecondButtonReturn);
    Prompt second(env);
    console.typeAll({"wait 1", "keys return"});
    EXPECT_EQ(second.response, platform::kAlertSecondButtonReturn);
    EXPECT_EQ(console.quits, 0);
}

TEST_F(ConsoleAlertTest, ReturnAndEscapeChooseAsTheKeysDoInAnAlert) {
    Prompt first(env);
    console.typeAll({"wait 1", "keys return"});
    EXPECT_EQ(first.response, platform::kAlertFirstButtonReturn);
    Prompt second(env);
    const Lines lines = console.typeAll({"wait 1", "keys cmd-q", "keys escape"});
    EXPECT_EQ(second.response, platform::kAlertSecondButtonReturn);
    EXPECT_EQ(lines.at(2), "error: An alert is open; it takes return, escape or alert press \"<button>\".");
    EXPECT_EQ(lines.back(), "ok");
}

TEST_F(ConsoleAlertTest, AlertCommandsOutsideAnAlertAreRefused) {
    EXPECT_EQ(console.type("alert press \"Save\""), Lines{"error: No alert is open; alert answers an alert that shows."});
    EXPECT_EQ(console.type("alert type \"x\""), Lines{"error: No alert is open; alert answers an alert that shows."});
}

}  // namespace
}  // namespace tarnwick
