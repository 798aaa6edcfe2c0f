// The console at a terminal, as a person sees it on the screen: one prompt for each command
// however far ahead it was typed, changes printed above the prompt's line, the ends of a run,
// and the reader handing keystrokes to the line editor.

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/alerts.h"
#include "platform/sim/console/console.h"
#include "platform/sim/console/console_reader.h"
#include "platform/sim/console/console_commands.h"
#include "testkit/console_process.h"
#include "testkit/fake_terminal.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using Lines = std::vector<std::string>;

class ConsoleTerminalTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(terminal.unknownSequences(), Lines{}); }

    // The screen from the "ready" line on.
    Lines fromReady() const {
        const Lines shown = terminal.screen();
        const auto ready = std::find(shown.begin(), shown.end(), "ready");
        return ready == shown.end() ? shown : Lines(ready, shown.end());
    }
    std::size_t prompts() const {
        const Lines shown = terminal.screen();
        return static_cast<std::size_t>(std::count_if(shown.begin(), shown.end(), [](const std::string& row) {
            return row == ">" || row.rfind("> ", 0) == 0;
        }));
    }

    testkit::TestEnvironment env;
    bool loaded = (env.session.loadDefaultSession(), true);
    testkit::FakeTerminal terminal{200};
    sim::Console console{env.session, terminal, true, [this] { return terminal.columns(); }};
    int quits = 0;
    bool quitSet = (console.quit = [this] { ++quits; }, true);
};

// Typed at once, as a paste or a quick typist does, each command still stands after a prompt of
// its own with what it printed under it; no prompt is left alone or drawn twice.
TEST_F(ConsoleTerminalTest, CommandsTypedAheadEachGetOnePromptWithTheirOutputUnderIt) {
    console.launched();
    console.type("switch 2\nmission-control open\nwait 1\n\nswitch 9\n");
    env.settle();
    const Lines expected{
        "ready",
        "> switch 2",
        "@1000.000 desktop switched on display 1 to \"Desktop 2\"",
        "ok",
        "> mission-control open",
        "@1000.000 mission-control opened",
        "ok",
        "> wait 1",
        "ok",
        ">",  // a blank line gets no answer, only the prompt again
        "> switch 9",
        "error: The desktop's number must be from 1 to 6, not 9.",
        ">",
    };
    EXPECT_EQ(fromReady(), expected);
    EXPECT_EQ(prompts(), 6u);  // one for each line typed, and the one that waits
}

// Lines typed before the launch has finished wait for the first prompt.
TEST_F(ConsoleTerminalTest, LinesTypedBeforeReadyShowAfterTheFirstPrompt) {
    console.type("switch 2\n");
    env.settle();
    EXPECT_EQ(terminal.screen(), Lines{});
    console.launched();
    EXPECT_EQ(fromReady(), (Lines{"ready", "> switch 2", "@1000.000 desktop switched on display 1 to \"Desktop 2\"",
                                  "ok", ">"}));
}

// A change while the person is typing prints above the prompt's line, and the prompt comes back
// under it with what was typed so far; the line then runs as typed.
TEST_F(ConsoleTerminalTest, AChangeWhileThePersonTypesPrintsAboveThePromptsLine) {
    console.launched();
    console.type("swi");
    env.loop.postAfter(1, [&] { env.session.switchDesktop(1, 5); });
    env.advance(1);
    EXPECT_EQ(fromReady(), (Lines{"ready", "@1001.000 desktop switched on display 1 to \"Desktop 3\"", "> swi"}));
    console.type("tch 1\n");
    env.settle();
    EXPECT_EQ(fromReady(), (Lines{"ready", "@1001.000 desktop switched on display 1 to \"Desktop 3\"", "> switch 1",
                                  "@1001.000 desktop switched on display 1 to \"Desktop 1\"", "ok", ">"}));
}

// An alert's answers typed ahead with the command that leads to it: each after its own prompt,
// the alert's line above the prompt that answers it.
TEST_F(ConsoleTerminalTest, AnAlertsAnswersTypedAheadEachGetTheirPrompt) {
    platform::Alert alert;
    alert.messageText = "Leave?";
    alert.buttons = {{"Leave", "\r"}, {"Stay", "\x1b"}};
    std::optional<platform::ModalResponse> response;
    env.loop.postAfter(0.5, [&] { response = alert.runModal(); });
    console.launched();
    console.type("wait 1\nswitch 2\nalert press \"Stay\"\n");
    env.settle();
    ASSERT_TRUE(response);
    const Lines expected{
        "ready",
        "> wait 1",
        "@1000.500 alert \"Leave?\" buttons \"Leave\" \"Stay\"",
        "ok",
        "> switch 2",
        "error: An alert is open (\"Leave?\"); answer it first with alert press \"<button>\" (screen and wait work "
        "meanwhile).",
        "> alert press \"Stay\"",
        "@1000.500 alert closed with \"Stay\"",
        "ok",
        ">",
    };
    EXPECT_EQ(fromReady(), expected);
}

// Ctrl-D on an empty line ends the input as the end of a pipe does: the console quits.
TEST_F(ConsoleTerminalTest, CtrlDOnAnEmptyLineQuits) {
    console.launched();
    console.type("switch 2\n\x04" "switch 3\n");
    env.settle();
    EXPECT_EQ(quits, 1);
    console.applicationEnded(0);
    EXPECT_EQ(fromReady(), (Lines{"ready", "> switch 2", "@1000.000 desktop switched on display 1 to \"Desktop 2\"",
                                  "ok", ">", "@1000.000 application ended with status 0"}));
}

// The application ending while the person types (a signal, a logout) leaves what was typed in
// sight; the end prints under it and no prompt follows.
TEST_F(ConsoleTerminalTest, TheEndOfTheRunLeavesTheTypedLineAndDrawsNoPromptAfter) {
    console.launched();
    console.type("swi");
    console.applicationEnded(0);
    EXPECT_EQ(fromReady(), (Lines{"ready", "> swi", "@1000.000 application ended with status 0"}));
    EXPECT_EQ(terminal.row(), 3u);
}

// The reader hands keystrokes over as read, with what came along with each: the lines run (an
// arrow key typing nothing in them), and Ctrl-D ends the input and the
// reading. Whether the Ctrl-D came at the prompt or was typed ahead while "switch 2" ran, what
// follows it is never read: it stays for the shell.
TEST_F(ConsoleTerminalTest, TheReaderHandsOverKeystrokesUntilCtrlDAndReadsNothingAfterIt) {
    console.quit = [&] {
        ++quits;
        env.loop.stop();
    };
    console.launched();
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        sim::ConsoleReader reader(console, fds[0], true);
        // An arrow's sequence comes in one go: read a byte at a time, it is still one key.
        const std::string input = "\x1b[Aswitch 2\n\x04" "switch 3\n";
        ASSERT_EQ(write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
        env.loop.run();
    }
    int unread = 0;
    EXPECT_EQ(ioctl(fds[0], FIONREAD, &unread), 0);
    EXPECT_EQ(unread, 9) << "\"switch 3\\n\" stays unread";
    close(fds[0]);
    close(fds[1]);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(fromReady(), (Lines{"ready", "> switch 2", "@1000.000 desktop switched on display 1 to \"Desktop 2\"",
                                  "ok", ">"}));
}

// The reader reads only while a prompt wants keys: lines typed after the one that ends the run
// (typed ahead while a command ran) are never read, and stay for the shell.
TEST_F(ConsoleTerminalTest, TheReaderLeavesWhatFollowsTheLineThatEndsTheRunUnread) {
    console.quit = [&] {
        ++quits;
        env.loop.stop();
    };
    console.launched();
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        sim::ConsoleReader reader(console, fds[0], true);
        const std::string input = "switch 2\nquit\necho LEFT\n";
        ASSERT_EQ(write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
        env.loop.run();
    }
    int unread = 0;
    EXPECT_EQ(ioctl(fds[0], FIONREAD, &unread), 0);
    EXPECT_EQ(unread, 10) << "\"echo LEFT\\n\" stays unread";
    close(fds[0]);
    close(fds[1]);
    EXPECT_EQ(quits, 1);
}

// A keyboard that goes away still has the lines it entered run, those typed ahead too, under the
// prompt's line; the line it had not finished is not run, and the input ends.
TEST_F(ConsoleTerminalTest, AKeyboardThatGoesAwayHasItsEnteredLinesRun) {
    console.launched();
    console.type("switch 2\nswitch 3\nswi");
    console.keyboardGone();
    env.settle();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(fromReady(), (Lines{"ready", "> switch 2", "@1000.000 desktop switched on display 1 to \"Desktop 2\"",
                                  "ok", "@1000.000 desktop switched on display 1 to \"Desktop 3\"", "ok"}));
}

// The end of the terminal's input reaches the console through the reader as the keyboard gone.
TEST_F(ConsoleTerminalTest, TheEndOfTheTerminalsInputEndsTheRun) {
    console.quit = [&] {
        ++quits;
        env.loop.stop();
    };
    console.launched();
    console.type("swi");
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        sim::ConsoleReader reader(console, fds[0], true);
        close(fds[1]);
        env.loop.run();
    }
    close(fds[0]);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(fromReady(), (Lines{"ready", "> swi"}));
    EXPECT_EQ(terminal.row(), 2u);
}

// At a terminal narrower than its lines, help wraps each description at its blanks, every
// further line under the description's column, so no word is cut where the terminal's row ends.
class NarrowConsoleTerminalTest : public ConsoleTerminalTest {
protected:
    NarrowConsoleTerminalTest() { terminal = testkit::FakeTerminal(80); }
};

TEST_F(NarrowConsoleTerminalTest, HelpWrapsEachDescriptionAtItsBlanksUnderItsColumn) {
    console.launched();
    console.type("help\n");
    env.settle();
    const Lines rows = fromReady();
    const auto helpRow = std::find_if(rows.begin(), rows.end(), [](const std::string& row) {
        return row.rfind("help ", 0) == 0;
    });
    ASSERT_NE(helpRow, rows.end()) << testkit::transcript(rows);
    const std::size_t column = helpRow->find("lists the commands");
    const std::string indent(column, ' ');
    int wrappedDescriptions = 0;
    for (const auto& command : sim::consoleCommands()) {
        auto row = std::find_if(rows.begin(), rows.end(), [&](const std::string& shown) {
            return shown.rfind(command.usage, 0) == 0 &&
                   (shown.size() == command.usage.size() || shown[command.usage.size()] == ' ');
        });
        ASSERT_NE(row, rows.end()) << command.name << "\n" << testkit::transcript(rows);
        const bool ownLine = row->size() == command.usage.size();
        std::string described = ownLine ? std::string() : row->substr(column);
        int rowsBelow = 0;
        for (++row; row != rows.end() && row->rfind(indent, 0) == 0 && row->size() > column && (*row)[column] != ' ';
             ++row, ++rowsBelow)
            described += (described.empty() ? "" : " ") + row->substr(column);
        EXPECT_EQ(described, command.summary) << command.name << "\n" << testkit::transcript(rows);
        if (rowsBelow > (ownLine ? 1 : 0)) ++wrappedDescriptions;
    }
    EXPECT_GT(wrappedDescriptions, 5) << testkit::transcript(rows);
    // The closing sentence wraps at a blank too.
    const auto closing = std::find_if(rows.begin(), rows.end(), [](const std::string& row) {
        return row.rfind("Words are separated", 0) == 0;
    });
    ASSERT_TRUE(closing != rows.end() && std::next(closing) != rows.end()) << testkit::transcript(rows);
    EXPECT_EQ(*closing + " " + *std::next(closing),
              "Words are separated by blanks; put text with blanks in double quotes; # starts a comment.");
}

// Rows are filled as far as they go: a sentence exactly as wide as the terminal keeps its row, and
// no row of a description could have taken the first word of the row under it.
class FittingConsoleTerminalTest : public ConsoleTerminalTest {
protected:
    FittingConsoleTerminalTest() { terminal = testkit::FakeTerminal(kWidth); }
    static constexpr std::size_t kWidth = 89;
    static std::size_t columns(const std::string& text) {
        return static_cast<std::size_t>(
            std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    }
};

TEST_F(FittingConsoleTerminalTest, HelpFillsEachRowAsFarAsItGoes) {
    console.launched();
    console.type("help\n");
    env.settle();
    const Lines rows = fromReady();
    const std::string closing = "Words are separated by blanks; put text with blanks in double quotes; # starts a comment.";
    ASSERT_EQ(columns(closing), kWidth);
    EXPECT_NE(std::find(rows.begin(), rows.end(), closing), rows.end()) << testkit::transcript(rows);
    const auto helpRow = std::find_if(rows.begin(), rows.end(), [](const std::string& row) {
        return row.rfind("help ", 0) == 0;
    });
    ASSERT_NE(helpRow, rows.end()) << testkit::transcript(rows);
    const std::size_t column = helpRow->find("lists the commands");
    for (auto row = helpRow; std::next(row) != rows.end(); ++row) {
        const std::string& below = *std::next(row);
        // Only a row of a description continued under the description column.
        const auto describes = [&](const std::string& shown) {
            if (shown.size() <= column || shown[column] == ' ') return false;
            if (shown.find_first_not_of(' ') == column) return true;
            const auto& commands = sim::consoleCommands();
            return std::any_of(commands.begin(), commands.end(), [&](const auto& command) {
                return shown.rfind(command.usage, 0) == 0 && shown.find_first_not_of(' ', command.usage.size()) == column;
            });
        };
        if (!describes(*row) || below.find_first_not_of(' ') != column) continue;
        const std::string firstWord = below.substr(column, below.find(' ', column) - column);
        EXPECT_GT(columns(*row) + 1 + columns(firstWord), kWidth) << *row << "\n" << below;
    }
}

// Too narrow for the column, each usage stands on its own rows and its description under it, a
// little indented; nothing passes the terminal's width and no word is cut.
class VeryNarrowConsoleTerminalTest : public ConsoleTerminalTest {
protected:
    VeryNarrowConsoleTerminalTest() { terminal = testkit::FakeTerminal(40); }
};

TEST_F(VeryNarrowConsoleTerminalTest, HelpPutsEachDescriptionUnderItsUsage) {
    console.launched();
    console.type("help\n");
    env.settle();
    const Lines rows = fromReady();
    auto row = std::find_if(rows.begin(), rows.end(), [](const std::string& shown) { return shown == "help"; });
    ASSERT_NE(row, rows.end()) << testkit::transcript(rows);
    for (const auto& command : sim::consoleCommands()) {
        std::string usage, summary;
        for (; row != rows.end() && !row->starts_with(" "); ++row) usage += (usage.empty() ? "" : " ") + *row;
        for (; row != rows.end() && row->starts_with("    "); ++row) summary += (summary.empty() ? "" : " ") + row->substr(4);
        EXPECT_EQ(usage, command.usage) << testkit::transcript(rows);
        EXPECT_EQ(summary, command.summary) << testkit::transcript(rows);
    }
    for (const auto& shown : rows) EXPECT_LE(sim::terminalColumns(shown), 40u) << shown;
}

}  // namespace
}  // namespace tarnwick
