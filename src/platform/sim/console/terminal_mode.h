#pragma once

#include <memory>
#include <string_view>

namespace tarnwick::sim {

// The terminal on the console's input, set for the console's line editor for as long as this
// lives: keystrokes come one by one as typed and the terminal echoes none of them (the editor
// draws them on the prompt's line). Ctrl-C and the terminal's own Return and line-feed handling
// stay as they were. The terminal's own mode comes back when this is destroyed, or at restore().
// One terminal at a time.
//
// The terminal has its own mode on every way out that the process can catch. A stop (Ctrl-Z)
// gives it back while stopped. Continuing in the terminal's foreground (the shell's fg) sets the
// editing mode again and makes `continuedSignal()` readable, for the editor to draw its line
// again; continuing in the background (the shell's bg, or its kill of a stopped job, which sends
// a continue after the signal) leaves the terminal to whoever has it, until a later continue finds
// the process in front. Giving the mode back never stops the process: it happens only while the
// editing mode is in force, and is done even from the background. A signal that ends the process
// where it stands (Ctrl-\, an abort, a crash) gives it back first, then ends the process as that
// signal does, through whatever handled it before (its default: a core dump), after ending the
// line the output left open (told by `wrote`), so that what the shell prints of the end starts a
// line of its own. A signal the process was started ignoring stays ignored.
class TerminalMode {
public:
    // Nothing when `fd` is no terminal or its mode cannot be changed. `output` is where the
    // process writes to the terminal (-1: nowhere).
    static std::unique_ptr<TerminalMode> forLineEditing(int fd, int output = -1);
    ~TerminalMode();
    TerminalMode(const TerminalMode&) = delete;
    TerminalMode& operator=(const TerminalMode&) = delete;

    // Puts the terminal's own mode back for good: a stop and a continue leave it so. Safe to call
    // more than once, from any thread.
    void restore() const;
    // Each piece written to `output`, as written: where it left the cursor.
    void wrote(std::string_view text) const;
    // Readable (a byte each time) once the program continued after a stop; -1 when none could be
    // made. Never blocks its writer; read it without blocking.
    int continuedSignal() const { return continued_; }

private:
    explicit TerminalMode(int continued) : continued_(continued) {}

    int continued_;
};

}  // namespace tarnwick::sim
