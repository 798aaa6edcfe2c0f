// The terminal's mode for the console's line editor, on a pseudo-terminal of the test's own:
// keystrokes come one by one without echo, and the terminal's own mode comes back when the mode
// ends, while the process is stopped, and before a signal ends the process.

#include <csignal>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/sim/console/terminal_mode.h"
#include "testkit/pseudo_terminal.h"

namespace tarnwick {
namespace {

using testkit::describeMode;
using testkit::sameMode;
using namespace std::chrono_literals;

bool readable(int fd) {
    pollfd ready{fd, POLLIN, 0};
    return poll(&ready, 1, 0) == 1;
}

// What the master side reads until `mark` comes, which the test writes on the terminal side:
// anything before it is the terminal's echo of what was typed.
std::string echoBefore(const testkit::PseudoTerminal& pty, const std::string& mark) {
    EXPECT_EQ(write(pty.terminal(), mark.data(), mark.size()), static_cast<ssize_t>(mark.size()));
    std::string shown;
    while (shown.find(mark) == std::string::npos) {
        const auto more = pty.readMaster(10s);
        if (!more) break;
        shown += *more;
    }
    return shown.substr(0, shown.find(mark));
}

class TerminalModeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.opened()); }

    testkit::PseudoTerminal pty;
    const termios own = pty.mode();  // the terminal's own mode, as the shell left it
};

TEST_F(TerminalModeTest, KeystrokesComeOneByOneUnechoedAndTheModeComesBackWhenItEnds) {
    {
        const auto mode = sim::TerminalMode::forLineEditing(pty.terminal());
        ASSERT_TRUE(mode);
        const termios editing = pty.mode();
        EXPECT_FALSE(editing.c_lflag & (ICANON | ECHO | IEXTEN)) << describeMode(editing);
        EXPECT_TRUE(editing.c_lflag & ISIG) << "Ctrl-C still interrupts";
        EXPECT_TRUE(editing.c_iflag & ICRNL) << "Return still arrives as a line feed";

        // A key reaches the reader without Return, and the terminal shows nothing of it.
        pty.type("ab");
        char keys[8] = {};
        ASSERT_EQ(read(pty.terminal(), keys, sizeof keys), 2);
        EXPECT_EQ(std::string(keys, 2), "ab");
        EXPECT_EQ(echoBefore(pty, "|"), "");

        EXPECT_FALSE(sim::TerminalMode::forLineEditing(pty.terminal())) << "one terminal at a time";
    }
    EXPECT_TRUE(sameMode(pty.mode(), own)) << describeMode(pty.mode());
    pty.type("cd\n");
    char line[8] = {};
    ASSERT_EQ(read(pty.terminal(), line, sizeof line), 3) << "a line of the terminal's own";
    EXPECT_EQ(echoBefore(pty, "|"), "cd\r\n") << "the terminal echoes again";

    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    EXPECT_FALSE(sim::TerminalMode::forLineEditing(pipeEnds[0])) << "a pipe is no terminal";
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

// The shell gives the terminal back in its own mode when it continues the program: the editing
// mode is set again and whoever draws the line hears of it; once given back for good, a continue
// leaves the terminal's own mode.
TEST_F(TerminalModeTest, AContinueSetsTheEditingModeAgainUntilItIsGivenBackForGood) {
    const auto mode = sim::TerminalMode::forLineEditing(pty.terminal());
    ASSERT_TRUE(mode);
    const termios editing = pty.mode();
    ASSERT_GE(mode->continuedSignal(), 0);
    EXPECT_FALSE(readable(mode->continuedSignal()));

    ASSERT_EQ(tcsetattr(pty.terminal(), TCSANOW, &own), 0);  // as the shell leaves it
    raise(SIGCONT);
    EXPECT_TRUE(sameMode(pty.mode(), editing)) << describeMode(pty.mode());
    EXPECT_TRUE(readable(mode->continuedSignal()));
    char drained[8];
    while (read(mode->continuedSignal(), drained, sizeof drained) > 0) {
    }

    mode->restore();
    EXPECT_TRUE(sameMode(pty.mode(), own)) << describeMode(pty.mode());
    raise(SIGCONT);
    EXPECT_TRUE(sameMode(pty.mode(), own)) << describeMode(pty.mode());
    EXPECT_FALSE(readable(mode->continuedSignal()));
}

// In a child of the test's, in a process group of its own (so that a stop is not ignored as in
// an orphaned group), with no core file and a deadline: `body` after the mode is set, then what
// the child writes to `report` before it ends.
pid_t childWithTheMode(int terminal, int report, void (*body)(const sim::TerminalMode&, int report),
                       bool orphaned = false) {
    const pid_t child = fork();
    if (child != 0) return child;
    if (orphaned)
        setsid();  // a session of its own, whose parent is in another: a stop is ignored
    else
        setpgid(0, 0);
    alarm(30);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const int nowhere = open("/dev/null", O_WRONLY);
    dup2(nowhere, STDERR_FILENO);  // a sanitizer's report of the crash made on purpose
    auto mode = sim::TerminalMode::forLineEditing(terminal);
    if (!mode) _exit(90);
    body(*mode, report);
    mode.reset();
    _exit(0);
}

// Under a sanitizer, a crash is the sanitizer's to report, and it ends the process with a status.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizerTakesCrashes = true;
#elif defined(__has_feature)
constexpr bool kSanitizerTakesCrashes = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool kSanitizerTakesCrashes = false;
#endif

struct Ending {
    int status = 0;
    termios mode{};
};

Ending endingOf(testkit::PseudoTerminal& pty, void (*body)(const sim::TerminalMode&, int)) {
    const pid_t child = childWithTheMode(pty.terminal(), -1, body);
    Ending ending;
    waitpid(child, &ending.status, 0);
    ending.mode = pty.mode();
    return ending;
}

// A signal that ends the process where it stands finds the terminal's own mode given back, and
// still ends the process as that signal does.
TEST_F(TerminalModeTest, ASignalThatEndsTheProcessFindsTheTerminalsOwnModeAndStillEndsIt) {

    const Ending quit = endingOf(pty, [](const sim::TerminalMode&, int) { raise(SIGQUIT); });
    EXPECT_TRUE(WIFSIGNALED(quit.status) && WTERMSIG(quit.status) == SIGQUIT) << quit.status;
    EXPECT_TRUE(sameMode(quit.mode, own)) << describeMode(quit.mode);

    const Ending aborted = endingOf(pty, [](const sim::TerminalMode&, int) { std::abort(); });
    EXPECT_TRUE(WIFSIGNALED(aborted.status) && WTERMSIG(aborted.status) == SIGABRT) << aborted.status;
    EXPECT_TRUE(sameMode(aborted.mode, own)) << describeMode(aborted.mode);

    // A real fault: the handler returns, and the instruction faults again.
    const Ending crashed = endingOf(pty, [](const sim::TerminalMode&, int) {
        void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        *static_cast<volatile int*>(page) = 1;
    });
    if (kSanitizerTakesCrashes)
        EXPECT_FALSE(WIFEXITED(crashed.status) && WEXITSTATUS(crashed.status) == 0) << "the sanitizer reports it";
    else
        EXPECT_TRUE(WIFSIGNALED(crashed.status) && WTERMSIG(crashed.status) == SIGSEGV) << crashed.status;
    EXPECT_TRUE(sameMode(crashed.mode, own)) << describeMode(crashed.mode);
}

// Stopped (Ctrl-Z), the process leaves the terminal in its own mode for the shell; continued,
// it sets the editing mode again and says so.
TEST_F(TerminalModeTest, AStopGivesTheTerminalBackAndAContinueTakesItAgain) {
    int talk[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, talk), 0);
    const pid_t child = childWithTheMode(pty.terminal(), talk[1], [](const sim::TerminalMode& mode, int test) {
        raise(SIGTSTP);
        pollfd continued{mode.continuedSignal(), POLLIN, 0};
        const char heard = poll(&continued, 1, 10000) == 1 ? 'y' : 'n';
        [[maybe_unused]] auto written = write(test, &heard, 1);
        char looked;
        [[maybe_unused]] auto read = ::read(test, &looked, 1);  // until the test has looked
    });
    close(talk[1]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
    ASSERT_TRUE(WIFSTOPPED(status)) << status;
    EXPECT_TRUE(sameMode(pty.mode(), own)) << describeMode(pty.mode());

    kill(child, SIGCONT);
    char heard = 0;
    EXPECT_EQ(read(talk[0], &heard, 1), 1);
    EXPECT_EQ(heard, 'y');
    EXPECT_FALSE(pty.mode().c_lflag & (ICANON | ECHO)) << describeMode(pty.mode());
    EXPECT_EQ(write(talk[0], "k", 1), 1);
    close(talk[0]);
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(sameMode(pty.mode(), own)) << describeMode(pty.mode());
}

// Where no shell controls the process group, the stop never happens: the process goes on in the
// editing mode it had.
TEST_F(TerminalModeTest, AStopThatNeverHappensLeavesTheEditingMode) {
    int talk[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, talk), 0);
    const pid_t child = childWithTheMode(
        pty.terminal(), talk[1],
        [](const sim::TerminalMode&, int test) {
            raise(SIGTSTP);
            [[maybe_unused]] auto written = write(test, "r", 1);
            char looked;
            [[maybe_unused]] auto read = ::read(test, &looked, 1);
        },
        true);
    close(talk[1]);
    char said = 0;
    EXPECT_EQ(read(talk[0], &said, 1), 1);
    EXPECT_FALSE(pty.mode().c_lflag & (ICANON | ECHO)) << describeMode(pty.mode());
    EXPECT_EQ(write(talk[0], "k", 1), 1);
    close(talk[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace tarnwick
