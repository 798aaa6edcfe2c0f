#include "platform/sim/console/terminal_mode.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <utility>

#include <fcntl.h>
#include <pthread.h>
#include <termios.h>
#include <unistd.h>

namespace tarnwick::sim {

namespace {

// What the signal handlers know of the one terminal set for line editing. Handlers run on any
// thread and may call only async-signal-safe functions: tcgetpgrp, getpgrp, tcsetattr, sigaction,
// pthread_sigmask, raise and write.
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the handlers read these atomics");
std::atomic<int> editedTerminal{-1};
std::atomic<bool> editing{false};  // the editing mode is wanted (not given back for good)
std::atomic<bool> inForce{false};  // the terminal has the editing mode now, set by this process
std::atomic<int> continuedWriter{-1};
std::atomic<int> outputTerminal{-1};
std::atomic<bool> lineOpen{false};  // the last output left the cursor after text on its row
termios editingMode{};
termios ownMode{};

// Signals that end the process where it stands; each may also come from a fault of the processor.
constexpr int kEndingSignals[] = {SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction previousEnding[std::size(kEndingSignals)]{};
bool endingCaught[std::size(kEndingSignals)]{};
struct sigaction previousStop{}, previousContinue{};
struct sigaction onStop{};
bool stopCaught = false;

// Puts the terminal's own mode back if the editing mode is in force, and only then: a process
// that is not in the terminal's foreground may have to (its run ends while a shell has the
// terminal), and must not be stopped for writing the mode there, so SIGTTOU is held meanwhile.
class TtouHeld {
public:
    TtouHeld() {
        sigset_t ttou;
        sigemptyset(&ttou);
        sigaddset(&ttou, SIGTTOU);
        pthread_sigmask(SIG_BLOCK, &ttou, &mask_);
    }
    ~TtouHeld() { pthread_sigmask(SIG_SETMASK, &mask_, nullptr); }
    TtouHeld(const TtouHeld&) = delete;
    TtouHeld& operator=(const TtouHeld&) = delete;

private:
    sigset_t mask_;
};

void giveBack() {
    const int fd = editedTerminal.load();
    if (fd < 0 || !inForce.exchange(false)) return;
    const TtouHeld held;
    tcsetattr(fd, TCSANOW, &ownMode);
}

// Whether the terminal is the process's to set: its group is the terminal's foreground one, or the
// terminal is not its controlling terminal at all (no job control works on it then).
bool inFront(int fd) {
    const pid_t front = tcgetpgrp(fd);
    return front < 0 ? errno == ENOTTY : front == getpgrp();
}

// Sets the editing mode again when the process is in the terminal's foreground. In the
// background (a shell's bg, or a kill that continues a stopped job so that it can end) the
// terminal belongs to someone else and keeps its mode until a later continue finds the process
// in front. False when nothing was set, or the mode was given back for good even while this ran.
bool takeAgain() {
    const int fd = editedTerminal.load();
    if (fd < 0 || !editing.load() || !inFront(fd)) return false;
    tcsetattr(fd, TCSANOW, &editingMode);
    inForce = true;
    if (editing.load()) return true;
    giveBack();
    return false;
}

void stopping(int) {
    const int savedErrno = errno;
    giveBack();
    // The stop itself, by its default action and not held back: the process stops here and goes
    // on from here when continued. A stop that never happened (a process group that no shell
    // controls ignores it) must not leave the terminal's own mode behind.
    struct sigaction stop{};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, nullptr);
    sigset_t stopOnly, mask;
    sigemptyset(&stopOnly);
    sigaddset(&stopOnly, SIGTSTP);
    pthread_sigmask(SIG_UNBLOCK, &stopOnly, &mask);
    raise(SIGTSTP);
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    takeAgain();
    sigaction(SIGTSTP, &onStop, nullptr);
    errno = savedErrno;
}

void continuing(int) {
    const int savedErrno = errno;
    if (const int writer = continuedWriter.load(); takeAgain() && writer >= 0) {
        const char byte = 1;
        [[maybe_unused]] const auto written = write(writer, &byte, 1);
    }
    errno = savedErrno;
}

bool isFault(int signal, const siginfo_t* info) {
    if (signal == SIGQUIT || signal == SIGABRT || info == nullptr) return false;
    // Raised by the processor, not sent: positive codes (sent ones are SI_USER, SI_TKILL, ...).
    return info->si_code > 0;
}

void ending(int signal, siginfo_t* info, void*) {
    giveBack();
    // What the shell prints of the end ("Quit") starts a line of its own, not after what was typed.
    if (const int output = outputTerminal.load(); output >= 0 && lineOpen.exchange(false)) {
        const TtouHeld held;
        [[maybe_unused]] const auto written = write(output, "\r\n", 2);
    }
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
        if (kEndingSignals[i] == signal) sigaction(signal, &previousEnding[i], nullptr);
    // Whatever had the signal before takes it now. A fault comes again when its instruction runs
    // again on return; a signal that was sent is sent again, held until this handler returns.
    if (!isFault(signal, info)) raise(signal);
}

bool ignored(const struct sigaction& action) {
    return !(action.sa_flags & SA_SIGINFO) && action.sa_handler == SIG_IGN;
}

void catchSignals() {
    struct sigaction onContinue{};
    onContinue.sa_handler = continuing;
    onContinue.sa_flags = SA_RESTART;
    sigemptyset(&onContinue.sa_mask);
    sigaction(SIGCONT, &onContinue, &previousContinue);

    // A stop the process was started ignoring (no job control) stays ignored; so does any
    // ending signal.
    sigaction(SIGTSTP, nullptr, &previousStop);
    stopCaught = !ignored(previousStop);
    if (stopCaught) {
        onStop.sa_handler = stopping;
        onStop.sa_flags = SA_RESTART;
        sigemptyset(&onStop.sa_mask);
        sigaction(SIGTSTP, &onStop, nullptr);
    }
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
        sigaction(kEndingSignals[i], nullptr, &previousEnding[i]);
        endingCaught[i] = !ignored(previousEnding[i]);
        if (!endingCaught[i]) continue;
        struct sigaction onEnding{};
        onEnding.sa_sigaction = ending;
        onEnding.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&onEnding.sa_mask);
        sigaction(kEndingSignals[i], &onEnding, nullptr);
    }
}

void releaseSignals() {
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
        if (std::exchange(endingCaught[i], false)) sigaction(kEndingSignals[i], &previousEnding[i], nullptr);
    if (std::exchange(stopCaught, false)) sigaction(SIGTSTP, &previousStop, nullptr);
    sigaction(SIGCONT, &previousContinue, nullptr);
}

}  // namespace

std::unique_ptr<TerminalMode> TerminalMode::forLineEditing(int fd, int output) {
    termios saved{};
    if (editedTerminal.load() >= 0 || !isatty(fd) || tcgetattr(fd, &saved) != 0) return nullptr;
    termios edited = saved;
    // No line of the terminal's own, no echo, and no Ctrl-V or Ctrl-O of its own either.
    edited.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | IEXTEN));
    edited.c_cc[VMIN] = 1;
    edited.c_cc[VTIME] = 0;
    // Now, not after the output drains: what was typed before stays to be read.
    if (tcsetattr(fd, TCSANOW, &edited) != 0) return nullptr;
    int continued[2] = {-1, -1};
    if (pipe2(continued, O_CLOEXEC | O_NONBLOCK) != 0) continued[0] = continued[1] = -1;
    editingMode = edited;
    ownMode = saved;
    continuedWriter = continued[1];
    outputTerminal = output;
    lineOpen = false;
    editedTerminal = fd;
    inForce = true;
    editing = true;
    catchSignals();
    return std::unique_ptr<TerminalMode>(new TerminalMode(continued[0]));
}

TerminalMode::~TerminalMode() {
    restore();
    releaseSignals();
    editedTerminal = -1;
    outputTerminal = -1;
    if (const int writer = continuedWriter.exchange(-1); writer >= 0) close(writer);
    if (continued_ >= 0) close(continued_);
}

void TerminalMode::wrote(std::string_view text) const {
    // A bell moves nothing.
    const std::size_t last = text.find_last_not_of('\a');
    if (last != std::string_view::npos) lineOpen = text[last] != '\n';
}

void TerminalMode::restore() const {
    editing = false;
    giveBack();
}

}  // namespace tarnwick::sim
