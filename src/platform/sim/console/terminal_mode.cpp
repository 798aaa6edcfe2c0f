#include "platform/sim/console/terminal_mode.h"

#include <csignal>

#include <unistd.h>

namespace tarnwick::sim {

namespace {

// The mode of the one terminal set for line editing, for the handler of SIGCONT: a shell that
// stopped the program (Ctrl-Z) gives the terminal back in its own mode when it continues it.
volatile std::sig_atomic_t editedTerminal = -1;
termios editingMode{};
struct sigaction previousContinue{};

void continued(int) {
    // Only async-signal-safe calls here: tcsetattr is one.
    if (editedTerminal >= 0) tcsetattr(editedTerminal, TCSANOW, &editingMode);
}

}  // namespace

std::unique_ptr<TerminalMode> TerminalMode::forLineEditing(int fd) {
    termios saved{};
    if (editedTerminal >= 0 || !isatty(fd) || tcgetattr(fd, &saved) != 0) return nullptr;
    termios editing = saved;
    // No line of the terminal's own, no echo, and no Ctrl-V or Ctrl-O of its own either.
    editing.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | IEXTEN));
    editing.c_cc[VMIN] = 1;
    editing.c_cc[VTIME] = 0;
    // Now, not after the output drains: what was typed before stays to be read.
    if (tcsetattr(fd, TCSANOW, &editing) != 0) return nullptr;
    editingMode = editing;
    editedTerminal = fd;
    struct sigaction onContinue{};
    onContinue.sa_handler = continued;
    onContinue.sa_flags = SA_RESTART;
    sigemptyset(&onContinue.sa_mask);
    sigaction(SIGCONT, &onContinue, &previousContinue);
    return std::unique_ptr<TerminalMode>(new TerminalMode(fd, saved));
}

TerminalMode::~TerminalMode() {
    sigaction(SIGCONT, &previousContinue, nullptr);
    editedTerminal = -1;
    restore();
}

void TerminalMode::restore() const { tcsetattr(fd_, TCSANOW, &saved_); }

}  // namespace tarnwick::sim
