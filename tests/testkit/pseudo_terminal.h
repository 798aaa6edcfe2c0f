#pragma once

// A pseudo-terminal of the test's own: the test types and reads on its `master` side, and the
// code under test gets the `terminal` side, as a program in a terminal window does. Never the
// machine's terminal: the test's process does not take either side as its controlling terminal.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include <termios.h>

namespace tarnwick::testkit {

class PseudoTerminal {
public:
    // Opens a pair `columns` wide; `opened()` says whether that worked.
    explicit PseudoTerminal(unsigned short columns = 80, unsigned short rows = 24);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool opened() const { return master_ >= 0 && terminal_ >= 0; }
    int master() const { return master_; }
    int terminal() const { return terminal_; }
    const std::string& terminalName() const { return name_; }

    // The terminal side's mode now.
    termios mode() const;
    // Writes to the master side, as keys typed.
    void type(std::string_view keys) const;
    // What the terminal side shows on the master side next, waiting up to `patience` for the
    // first byte; nothing when none came.
    std::optional<std::string> readMaster(std::chrono::milliseconds patience) const;
    // What waits unread on the terminal side, taken without waiting.
    std::string unread() const;
    // Closes the test's descriptor of the terminal side (the master stays).
    void closeTerminal();

private:
    int master_ = -1;
    int terminal_ = -1;
    std::string name_;
};

// Whether two modes agree in every flag and control character.
bool sameMode(const termios& a, const termios& b);
// The mode's flags and characters, for a failure message.
std::string describeMode(const termios& mode);

}  // namespace tarnwick::testkit
