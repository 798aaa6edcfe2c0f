#pragma once

#include <string>
#include <thread>

namespace tarnwick::sim {

class Console;

// Reads the console's input (standard input) on a thread of its own and hands the console whole
// lines, a trailing carriage return removed; a line longer than the console reads is refused
// whole, and the end of input (or a read error) ends the input. At a terminal (`keystrokes`) it
// hands over the keystrokes as read instead, for the console's line editor. It never runs a
// command itself: the console runs them on the main loop. Stopping it (its destruction) does not
// wait for input.
class ConsoleReader {
public:
    ConsoleReader(Console& console, int fd, bool keystrokes = false);
    ~ConsoleReader();
    ConsoleReader(const ConsoleReader&) = delete;
    ConsoleReader& operator=(const ConsoleReader&) = delete;

private:
    void read();
    void finishLine();

    Console& console_;
    int fd_;
    bool keystrokes_;
    int stop_[2] = {-1, -1};
    std::string line_;
    bool overlong_ = false;
    std::thread thread_;
};

}  // namespace tarnwick::sim
