#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <termios.h>

#include "testkit/fake_terminal.h"
#include "testkit/pseudo_terminal.h"

namespace tarnwick::testkit {

// The built program with the console on virtual time, run on a pseudo-terminal of the test's own
// as a shell with job control runs it: the terminal is the program's controlling terminal, its
// process group the terminal's foreground one (so Ctrl-C, Ctrl-\ and Ctrl-Z typed reach it as
// signals), and its parent, standing in for the shell, reports when it stops, continues and ends.
// As a shell does, the stand-in takes the terminal's foreground back when the program stops, and
// gives it back only at fg.
// The test types on the master side, reads what the program draws onto a terminal's screen, and
// reads the terminal's mode on a descriptor of its own. Every wait gives up after the patience
// (seconds without news), so a broken program fails the test instead of hanging it; what is left
// of the program is killed at the end.
class TerminalProgram {
public:
    static constexpr int kPatience = 60;

    struct Options {
        std::filesystem::path home;
        std::optional<std::filesystem::path> session;
        unsigned short columns = 80;
        int patience = kPatience;
    };
    explicit TerminalProgram(Options options);
    ~TerminalProgram();
    TerminalProgram(const TerminalProgram&) = delete;
    TerminalProgram& operator=(const TerminalProgram&) = delete;

    bool started() const { return program_ > 0; }
    pid_t pid() const { return program_; }
    void type(std::string_view keys) const { terminal_.type(keys); }
    // Writes on the terminal as another program in it would (the shell's own lines).
    void print(std::string_view text) const;
    void signal(int signal) const;
    // What a shell's job control does with the program: fg gives it the terminal's foreground and
    // continues it, bg continues it in the background, and kill of the job sends the signal and
    // then a continue (a stopped job could not act on it otherwise).
    void fg() const { tellShell("f"); }
    void bg() const { tellShell("b"); }
    void killJob(int signal) const;

    // Reads what the program draws until `text` shows in what it drew after the last text waited
    // for; false when it did not come.
    bool waitFor(std::string_view text);
    // The program stopped: the signal that stopped it; nothing when it ended or did not stop.
    std::optional<int> waitUntilStopped();
    // The program ended: its exit status, or minus the signal that ended it; nothing when it did
    // not end, or stopped instead.
    std::optional<int> waitUntilEnded();
    // What the stand-in shell reported so far, a line each ("stopped 20", "continued 0", ...).
    const std::string& events() const { return history_; }

    // What the program drew so far, as a terminal as wide shows it, and as the bytes it sent.
    const FakeTerminal& screen() const { return screen_; }
    const std::string& drawn() const { return drawn_; }
    // The terminal's mode before the program started, and now.
    const termios& modeBefore() const { return before_; }
    termios mode() const { return terminal_.mode(); }
    // What was typed and waits unread on the program's side.
    std::string unread() const { return terminal_.unread(); }

private:
    // The next event of the stand-in shell ("stopped 20", "continued", "exited 0", "signaled 3"),
    // reading the program's drawing meanwhile.
    std::optional<std::string> nextEvent();
    void tellShell(std::string_view command) const;
    // Reads what is ready, waiting up to the milliseconds (the patience when negative); false
    // when nothing came.
    bool pump(int milliseconds = -1);

    PseudoTerminal terminal_;
    FakeTerminal screen_;
    int patience_;
    termios before_{};
    pid_t shell_ = -1;
    pid_t program_ = -1;
    int events_ = -1;
    int commands_ = -1;
    std::string eventText_;
    std::string history_;
    std::string drawn_;
    std::size_t seen_ = 0;
    bool ended_ = false;
};

}  // namespace tarnwick::testkit
