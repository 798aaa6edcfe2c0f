#pragma once

#include <memory>

#include <termios.h>

namespace tarnwick::sim {

// The terminal on the console's input, set for the console's line editor for as long as this
// lives: keystrokes come one by one as typed and the terminal echoes none of them (the editor
// draws them on the prompt's line). Ctrl-C and the terminal's own Return and line-feed handling
// stay as they were. The terminal's own mode comes back when this is destroyed, or at restore().
// One terminal at a time.
//
// The terminal has its own mode on every way out that the process can catch. A stop (Ctrl-Z)
// gives it back while stopped, and continuing (the shell's fg) sets the editing mode again and
// makes `continuedSignal()` readable, for the editor to draw its line again. A signal that ends
// the process where it stands (Ctrl-\, an abort, a crash) gives it back first, then ends the
// process as that signal does, through whatever handled it before (its default: a core dump). A
// signal the process was started ignoring stays ignored.
class TerminalMode {
public:
    // Nothing when `fd` is no terminal or its mode cannot be changed.
    static std::unique_ptr<TerminalMode> forLineEditing(int fd);
    ~TerminalMode();
    TerminalMode(const TerminalMode&) = delete;
    TerminalMode& operator=(const TerminalMode&) = delete;

    // Puts the terminal's own mode back for good: a stop and a continue leave it so. Safe to call
    // more than once, from any thread.
    void restore() const;
    // Readable (a byte each time) once the program continued after a stop; -1 when none could be
    // made. Never blocks its writer; read it without blocking.
    int continuedSignal() const { return continued_; }

private:
    TerminalMode(int fd, int continued, const termios& saved) : fd_(fd), continued_(continued), saved_(saved) {}

    int fd_;
    int continued_;
    termios saved_;
};

}  // namespace tarnwick::sim
