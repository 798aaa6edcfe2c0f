// The built program at a terminal: on a pseudo-terminal of the test's own, under a stand-in
// shell with job control. The terminal gets its own mode back on every way out, a stop and a
// continue draw the prompt's line again, and after Ctrl-D what is typed stays for the shell.

#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/pseudo_terminal.h"
#include "testkit/temp_folder.h"
#include "testkit/terminal_program.h"

namespace tarnwick {
namespace {

using testkit::describeMode;
using testkit::sameMode;

const std::filesystem::path kDefaultSession = std::filesystem::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";

class ConsoleTerminalProgramTest : public ::testing::Test {
protected:
    // The program at its first prompt, the editing mode set.
    testkit::TerminalProgram& start() {
        program.emplace(testkit::TerminalProgram::Options{home.path(), kDefaultSession});
        EXPECT_TRUE(program->started());
        EXPECT_TRUE(program->waitFor("ready")) << program->drawn();
        EXPECT_TRUE(program->waitFor("> ")) << program->drawn();
        EXPECT_FALSE(program->mode().c_lflag & (ICANON | ECHO)) << describeMode(program->mode());
        return *program;
    }
    // The program ended as expected, and the terminal has its own mode again.
    void expectEnd(std::optional<int> expected, const std::string& how) {
        EXPECT_EQ(program->waitUntilEnded(), expected) << how << "\n" << program->events() << program->drawn();
        EXPECT_TRUE(sameMode(program->mode(), program->modeBefore()))
            << how << ": " << describeMode(program->mode()) << " instead of " << describeMode(program->modeBefore());
    }

    testkit::TempFolder home;
    std::optional<testkit::TerminalProgram> program;
};

TEST_F(ConsoleTerminalProgramTest, QuitGivesTheTerminalItsOwnModeBack) {
    start().type("quit\r");
    expectEnd(0, "quit");
}

// Ctrl-D on an empty line ends the input: the program reads nothing after it, so what follows
// (typed at once, as fast as a paste) is left for the shell, in the terminal's own mode.
TEST_F(ConsoleTerminalProgramTest, CtrlDEndsTheInputAndLeavesWhatFollowsForTheShell) {
    start().type("\x04" "echo typed after\n");
    expectEnd(0, "Ctrl-D");
    EXPECT_EQ(program->unread(), "echo typed after\n");
}

// Lines typed ahead while a command runs stay in the terminal until a prompt takes them, so
// those after the one that ends the run are left for the shell.
TEST_F(ConsoleTerminalProgramTest, WhatIsTypedAheadAfterQuitIsLeftForTheShell) {
    start().type("wait 1\rquit\recho LEFT\r");
    expectEnd(0, "quit typed ahead");
    EXPECT_EQ(program->unread(), "echo LEFT\n");
}

TEST_F(ConsoleTerminalProgramTest, SignalsThatLogOutGiveTheTerminalItsOwnModeBack) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        start().type("swi");
        ASSERT_TRUE(program->waitFor("swi")) << program->drawn();
        if (signal == SIGINT)
            program->type("\x03");  // Ctrl-C
        else
            program->signal(signal);
        expectEnd(0, strsignal(signal));
    }
}

// A second signal while the run ends ends it at once with status 1, the terminal's mode put back
// first. Two signals of one kind pending at once are one; SIGINT and SIGTERM are two. SIGSTOP
// leaves the editing mode in force while the shell takes the terminal, so the mode is put back
// from the background, without the program being stopped for it.
TEST_F(ConsoleTerminalProgramTest, ASecondSignalEndsTheRunAtOnceAfterGivingTheTerminalBack) {
    start();
    program->signal(SIGSTOP);
    ASSERT_TRUE(program->waitUntilStopped());
    program->signal(SIGINT);
    program->signal(SIGTERM);
    program->signal(SIGCONT);
    expectEnd(1, "SIGINT and SIGTERM");
}

// Ctrl-\ ends the program as SIGQUIT does (no core file here: the test forbids it), after the
// terminal has its own mode back and the typed line is ended, so that the shell's word of it
// stands on a line of its own.
TEST_F(ConsoleTerminalProgramTest, CtrlBackslashEndsTheProgramAsSigquitDoesWithTheTerminalsModeBack) {
    start().type("scr");
    ASSERT_TRUE(program->waitFor("scr")) << program->drawn();
    program->type("\x1c");
    expectEnd(-SIGQUIT, "Ctrl-\\");
    program->print("Quit (core dumped)\r\n");
    ASSERT_TRUE(program->waitFor("Quit")) << program->drawn();
    const auto rows = program->screen().screen();
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[rows.size() - 2], "> scr") << program->drawn();
    EXPECT_EQ(rows.back(), "Quit (core dumped)") << program->drawn();
}

// Ctrl-Z stops the program with the terminal in its own mode for the shell; the shell's fg
// continues it, and the prompt and the half-typed line are drawn again where the shell left
// the cursor, so the line goes on as seen.
TEST_F(ConsoleTerminalProgramTest, CtrlZAndFgDrawThePromptAndTheHalfTypedLineAgain) {
    start().type("scr");
    // The terminal drops what is typed but not yet read when a key signals, as it should.
    ASSERT_TRUE(program->waitFor("scr")) << program->drawn();
    program->type("\x1a");
    ASSERT_EQ(program->waitUntilStopped(), SIGTSTP) << program->drawn();
    EXPECT_TRUE(sameMode(program->mode(), program->modeBefore())) << describeMode(program->mode());
    program->print("\r\n[1]+  Stopped                 tarnwick\r\n$ fg\r\ntarnwick\r\n");
    program->fg();
    ASSERT_TRUE(program->waitFor("$ fg")) << program->drawn();
    ASSERT_TRUE(program->waitFor("> scr")) << program->drawn();
    EXPECT_EQ(program->screen().screen().back(), "> scr");
    EXPECT_FALSE(program->mode().c_lflag & (ICANON | ECHO)) << describeMode(program->mode());

    program->type("een\r");
    ASSERT_TRUE(program->waitFor("\nok")) << program->drawn();
    EXPECT_EQ(program->drawn().find("Unknown command"), std::string::npos) << program->drawn();
    program->type("quit\r");
    expectEnd(0, "quit after fg");
}

// A job stopped with Ctrl-Z and then killed from the shell (the signal, then a continue to let it
// act) ends as the signal ends it, from the background: it logs out, prints its status and exits,
// and leaves the terminal in the shell's mode, never taking it on the way.
TEST_F(ConsoleTerminalProgramTest, AStoppedJobKilledFromTheShellLogsOutWithoutTakingTheTerminal) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        start().type("scr");
        ASSERT_TRUE(program->waitFor("scr")) << program->drawn();
        program->type("\x1a");
        ASSERT_EQ(program->waitUntilStopped(), SIGTSTP) << program->drawn();
        program->killJob(signal);
        expectEnd(0, strsignal(signal));
        EXPECT_NE(program->drawn().find("application ended with status 0"), std::string::npos) << program->drawn();
    }
}

// The shell's bg continues the job in the background: the terminal keeps the shell's mode, and the
// program stops at its first read of the terminal (SIGTTIN) as any program does there. The fg
// after it gives the program the terminal again, and the line goes on with what was typed.
TEST_F(ConsoleTerminalProgramTest, BgLeavesTheTerminalAloneUntilFgGivesItBack) {
    start().type("scr");
    ASSERT_TRUE(program->waitFor("scr")) << program->drawn();
    program->type("\x1a");
    ASSERT_EQ(program->waitUntilStopped(), SIGTSTP) << program->drawn();
    program->bg();
    program->type("een\r");  // a line in the terminal's own mode, for the program to read
    EXPECT_EQ(program->waitUntilStopped(), SIGTTIN) << program->events();
    EXPECT_TRUE(sameMode(program->mode(), program->modeBefore())) << describeMode(program->mode());
    program->fg();
    ASSERT_TRUE(program->waitFor("\nok")) << program->events() << program->drawn();
    EXPECT_EQ(program->drawn().find("Unknown command"), std::string::npos) << program->drawn();
    EXPECT_FALSE(program->mode().c_lflag & (ICANON | ECHO)) << describeMode(program->mode());
    program->type("quit\r");
    expectEnd(0, "quit after bg and fg");
}

}  // namespace
}  // namespace tarnwick
