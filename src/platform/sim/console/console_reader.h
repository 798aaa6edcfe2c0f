#pragma once

#include <string>
#include <thread>

namespace tarnwick::sim {

class Console;
class TerminalMode;

// Reads the console's input (standard input) on a thread of its own and hands the console whole
// lines, a trailing carriage return removed; a line longer than the console reads is refused
// whole, and the end of input (or a read error) ends the input. At a terminal (`keystrokes`) it
// hands over the keystrokes as read instead, for the console's line editor, a byte at a time with
// whether more already wait behind it (what came in one go with an Escape is its sequence), and
// only while a prompt wants keys: what is typed while a command runs stays in the terminal until
// the next prompt, and nothing is read after the line that ended the run or the Ctrl-D that ended
// the input, so that what is typed next reaches the shell; `terminal` then gets its own
// mode back at once, and after a stop and a continue the editor draws its line again. It never
// runs a command itself: the console runs them on the main loop. Stopping it (its destruction)
// does not wait for input.
class ConsoleReader {
public:
    ConsoleReader(Console& console, int fd, bool keystrokes = false, const TerminalMode* terminal = nullptr);
    ~ConsoleReader();
    ConsoleReader(const ConsoleReader&) = delete;
    ConsoleReader& operator=(const ConsoleReader&) = delete;

private:
    void read();
    void readLines(const char* bytes, std::size_t count);
    void finishLine();
    // True once the keystrokes ended the input: the terminal is given back, nothing more is read.
    bool typingEnded(bool ended);

    Console& console_;
    int fd_;
    bool keystrokes_;
    const TerminalMode* terminal_;
    // Written 0 to stop for good, 1 when the keyboard is wanted again or no longer.
    int wake_[2] = {-1, -1};
    std::string line_;
    bool overlong_ = false;
    std::thread thread_;
};

}  // namespace tarnwick::sim
