#pragma once

#include <memory>

#include <termios.h>

namespace tarnwick::sim {

// The terminal on the console's input, set for the console's line editor for as long as this
// lives: keystrokes come one by one as typed and the terminal echoes none of them (the editor
// draws them on the prompt's line). Ctrl-C and the terminal's own Return and line-feed handling
// stay as they were. The mode is set again when the program continues after a stop (Ctrl-Z and
// the shell's fg), and the terminal's own mode comes back when this is destroyed, or at
// restore(). One terminal at a time.
class TerminalMode {
public:
    // Nothing when `fd` is no terminal or its mode cannot be changed.
    static std::unique_ptr<TerminalMode> forLineEditing(int fd);
    ~TerminalMode();
    TerminalMode(const TerminalMode&) = delete;
    TerminalMode& operator=(const TerminalMode&) = delete;

    // Puts the terminal's own mode back; safe to call more than once, from any thread.
    void restore() const;

private:
    TerminalMode(int fd, const termios& saved) : fd_(fd), saved_(saved) {}

    int fd_;
    termios saved_;
};

}  // namespace tarnwick::sim
