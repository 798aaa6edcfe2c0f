#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace tarnwick::testkit {

// The built program with the console on virtual time (TARNWICK_CONSOLE=1,
// TARNWICK_VIRTUAL_TIME=1; or in real time when asked), a session file (the built-in session
// when none) and a home folder of the test's. Send it commands and read what it answers; close
// its input or signal it, then collect its exit status. Reading waits for the program, never for
// the clock; a program that says nothing for its patience (`kPatience` seconds unless given)
// fails the read instead of hanging the test, and is killed when it is finished.
class ConsoleProcess {
public:
    static constexpr int kPatience = 60;

    struct Options {
        std::filesystem::path home;
        std::optional<std::filesystem::path> session;
        std::vector<std::string> arguments;
        std::map<std::string, std::string> environment;  // more variables, or others in place
        bool virtualTime = true;
        int patience = kPatience;  // seconds of silence after which a read fails
        std::optional<std::filesystem::path> program = std::nullopt;  // the built tarnwick when none
    };
    explicit ConsoleProcess(Options options);
    ~ConsoleProcess();
    ConsoleProcess(const ConsoleProcess&) = delete;
    ConsoleProcess& operator=(const ConsoleProcess&) = delete;

    // The lines up to and including "ready" (or to the end of the output).
    std::vector<std::string> ready();
    // Sends a command and returns the lines printed up to and including its answer ("ok" or
    // "error: ..."), or up to the end of the output (after quit).
    std::vector<std::string> send(const std::string& command);
    // Sends lines at once (answers to an alert typed ahead) and returns the lines up to the
    // `answers`-th answer.
    std::vector<std::string> sendAll(const std::vector<std::string>& lines, int answers);
    // Sends raw bytes (no line feed added).
    void write(const std::string& bytes);
    void closeInput();
    void signal(int signal);
    // Reads the output to its end and waits for the program; returns its exit status (-1 when a
    // signal ended it). The lines read meanwhile are in `rest()`.
    int finish();
    const std::vector<std::string>& rest() const { return rest_; }
    const std::string& standardError() const { return error_; }
    // The program's process id (-1 when it could not be started).
    pid_t pid() const { return pid_; }
    bool readFailed() const { return readFailed_; }

private:
    // The next complete line of output; nothing at its end (or when the program says nothing for
    // too long).
    std::optional<std::string> line();
    std::vector<std::string> untilAnswers(int answers);
    bool pump();

    int patience_ = kPatience;
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    int errors_ = -1;
    std::string pending_;
    std::string error_;
    std::vector<std::string> rest_;
    bool outputEnded_ = false;
    bool readFailed_ = false;
    std::optional<int> status_;
};

bool isAnswer(const std::string& line);
// The lines as the program printed them, for a failure message.
std::string transcript(const std::vector<std::string>& lines);
// Whether any of the lines holds the text.
bool printed(const std::vector<std::string>& lines, const std::string& part);

}  // namespace tarnwick::testkit
