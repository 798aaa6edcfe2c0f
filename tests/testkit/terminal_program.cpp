#include "testkit/terminal_program.h"

#include <cerrno>
#include <csignal>
#include <map>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include "testkit/run_program.h"

namespace tarnwick::testkit {

namespace {

// A line "<what> <number>" for the test, written with nothing but write(): the stand-in shell is
// a forked copy of the test's process.
void report(int fd, const char* what, long number) {
    char line[64];
    std::size_t at = 0;
    for (const char* c = what; *c && at < 32; ++c) line[at++] = *c;
    line[at++] = ' ';
    char digits[24];
    std::size_t count = 0;
    unsigned long value = number < 0 ? 0 : static_cast<unsigned long>(number);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (count > 0) line[at++] = digits[--count];
    line[at++] = '\n';
    [[maybe_unused]] auto written = write(fd, line, at);
}

// The program's side of the fork: a process group of its own in the terminal's foreground, the
// signals as a freshly started program has them, no core file, the terminal on its three streams.
[[noreturn]] void becomeProgram(int terminal, const char* home, char* const argv[], char* const envp[]) {
    setpgid(0, 0);
    tcsetpgrp(terminal, getpid());  // SIGTTOU is ignored here, as a shell ignores it
    for (int signal = 1; signal < NSIG; ++signal) ::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (chdir(home) != 0) _exit(126);
    for (int stream = 0; stream < 3; ++stream) dup2(terminal, stream);
    if (terminal > 2) close(terminal);
    execve(argv[0], argv, envp);
    _exit(127);
}

// The stand-in shell: leads a session whose controlling terminal is the pseudo-terminal, starts
// the program in it, and reports what becomes of the program until it ends. As a shell with job
// control, it ignores the keys that signal (they reach it while it has the terminal), takes the
// terminal's foreground back when the program stops, and does what the test asks of the job:
// `f` gives the program the foreground and continues it (fg), `b` continues it where it stands
// (bg), `k` and a signal's number sends the signal and then a continue, as kill of a job does.
[[noreturn]] void becomeShell(const char* terminalName, int master, int events, int commands, const char* home,
                              char* const argv[], char* const envp[]) {
    close(master);
    setsid();
    const int terminal = open(terminalName, O_RDWR);
    if (terminal < 0 || ioctl(terminal, TIOCSCTTY, 0) != 0) _exit(125);
    for (const int signal : {SIGTTOU, SIGTTIN, SIGTSTP, SIGINT, SIGQUIT}) ::signal(signal, SIG_IGN);
    // Held from before the program starts, so that no change of it is missed; read as a descriptor.
    sigset_t child;
    sigemptyset(&child);
    sigaddset(&child, SIGCHLD);
    sigprocmask(SIG_BLOCK, &child, nullptr);
    const int changes = signalfd(-1, &child, SFD_CLOEXEC);
    if (changes < 0) _exit(125);
    const pid_t program = fork();
    if (program == 0) becomeProgram(terminal, home, argv, envp);
    setpgid(program, program);
    report(events, "pid", program);
    int fromTest = commands;
    while (true) {
        pollfd fds[2] = {{changes, POLLIN, 0}, {fromTest, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            _exit(1);
        }
        if (fds[1].revents) {
            char command[8];
            const ssize_t n = read(fromTest, command, sizeof command);
            if (n <= 0) {
                fromTest = -1;  // the test is gone; its end kills the program
            } else if (command[0] == 'f') {
                tcsetpgrp(terminal, program);
                kill(-program, SIGCONT);
            } else if (command[0] == 'b') {
                kill(-program, SIGCONT);
            } else if (command[0] == 'k' && n == 2) {
                kill(-program, command[1]);
                kill(-program, SIGCONT);
            }
        }
        if (!fds[0].revents) continue;
        signalfd_siginfo info;
        [[maybe_unused]] const auto drained = read(changes, &info, sizeof info);
        int status = 0;
        pid_t changed = 0;
        while ((changed = waitpid(program, &status, WNOHANG | WUNTRACED | WCONTINUED)) > 0) {
            if (WIFSTOPPED(status)) {
                tcsetpgrp(terminal, getpgrp());
                report(events, "stopped", WSTOPSIG(status));
            } else if (WIFCONTINUED(status)) {
                report(events, "continued", 0);
            } else if (WIFEXITED(status)) {
                report(events, "exited", WEXITSTATUS(status));
                _exit(0);
            } else if (WIFSIGNALED(status)) {
                report(events, "signaled", WTERMSIG(status));
                _exit(0);
            }
        }
        if (changed < 0 && errno != EINTR) _exit(1);
    }
}

}  // namespace

TerminalProgram::TerminalProgram(Options options)
    : terminal_(options.columns), screen_(options.columns), patience_(options.patience) {
    if (!terminal_.opened()) return;
    before_ = terminal_.mode();
    std::vector<std::string> arguments{TARNWICK_BINARY};
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::map<std::string, std::string> variables{
        {"HOME", options.home.string()}, {"TARNWICK_CONSOLE", "1"}, {"TARNWICK_VIRTUAL_TIME", "1"}};
    if (options.session) variables["TARNWICK_SESSION"] = options.session->string();
    std::vector<std::string> environment = programEnvironment(variables);
    std::vector<char*> envp;
    for (auto& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    const std::string home = options.home.string();

    int events[2], commands[2];
    if (pipe2(events, O_CLOEXEC) != 0) return;
    if (pipe2(commands, O_CLOEXEC) != 0) {
        close(events[0]);
        close(events[1]);
        return;
    }
    shell_ = fork();
    if (shell_ == 0) {
        close(events[0]);
        close(commands[1]);
        becomeShell(terminal_.terminalName().c_str(), terminal_.master(), events[1], commands[0], home.c_str(),
                    argv.data(), envp.data());
    }
    close(events[1]);
    close(commands[0]);
    events_ = events[0];
    commands_ = commands[1];
    if (shell_ < 0) return;
    const auto first = nextEvent();
    if (first && first->rfind("pid ", 0) == 0) program_ = static_cast<pid_t>(std::stol(first->substr(4)));
}

TerminalProgram::~TerminalProgram() {
    if (program_ > 0 && !ended_) {
        kill(program_, SIGKILL);
        kill(program_, SIGCONT);
    }
    if (commands_ >= 0) close(commands_);
    if (shell_ > 0) waitpid(shell_, nullptr, 0);
    if (events_ >= 0) close(events_);
}

void TerminalProgram::tellShell(std::string_view command) const {
    if (commands_ >= 0) [[maybe_unused]] auto written = write(commands_, command.data(), command.size());
}

void TerminalProgram::killJob(int signal) const {
    const char command[2] = {'k', static_cast<char>(signal)};
    tellShell(std::string_view(command, 2));
}

void TerminalProgram::print(std::string_view text) const {
    [[maybe_unused]] auto written = write(terminal_.terminal(), text.data(), text.size());
}

void TerminalProgram::signal(int signal) const {
    if (program_ > 0 && !ended_) kill(program_, signal);
}

bool TerminalProgram::pump(int milliseconds) {
    pollfd fds[2] = {{terminal_.master(), POLLIN, 0}, {events_, POLLIN, 0}};
    if (poll(fds, 2, milliseconds < 0 ? patience_ * 1000 : milliseconds) <= 0) return false;
    char buffer[4096];
    if (fds[0].revents & POLLIN) {
        const ssize_t n = read(terminal_.master(), buffer, sizeof buffer);
        if (n > 0) {
            drawn_.append(buffer, static_cast<std::size_t>(n));
            screen_.write(std::string_view(buffer, static_cast<std::size_t>(n)));
        }
    }
    if (fds[1].revents & (POLLIN | POLLHUP)) {
        const ssize_t n = read(events_, buffer, sizeof buffer);
        if (n > 0) eventText_.append(buffer, static_cast<std::size_t>(n));
        if (n <= 0) {
            close(events_);
            events_ = -1;
        }
    }
    return true;
}

std::optional<std::string> TerminalProgram::nextEvent() {
    while (eventText_.find('\n') == std::string::npos) {
        if (events_ < 0 || !pump()) return std::nullopt;
    }
    const std::size_t end = eventText_.find('\n');
    std::string event = eventText_.substr(0, end);
    eventText_.erase(0, end + 1);
    history_ += event + "\n";
    return event;
}

bool TerminalProgram::waitFor(std::string_view text) {
    while (true) {
        if (const auto at = drawn_.find(text, seen_); at != std::string::npos) {
            seen_ = at + text.size();
            return true;
        }
        if (!pump()) return false;
    }
}

std::optional<int> TerminalProgram::waitUntilStopped() {
    while (const auto event = nextEvent()) {
        if (event->rfind("stopped ", 0) == 0) return std::stoi(event->substr(8));
        if (event->rfind("exited ", 0) == 0 || event->rfind("signaled ", 0) == 0) {
            ended_ = true;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<int> TerminalProgram::waitUntilEnded() {
    while (const auto event = nextEvent()) {
        // Stopped, it would wait for a shell that gives it no continue: the test learns at once.
        if (event->rfind("stopped ", 0) == 0) return std::nullopt;
        if (event->rfind("exited ", 0) == 0 || event->rfind("signaled ", 0) == 0) {
            ended_ = true;
            const int number = std::stoi(event->substr(event->find(' ') + 1));
            // What it drew last, for the test to see.
            while (pump(0)) {
            }
            return event->rfind("exited ", 0) == 0 ? number : -number;
        }
    }
    return std::nullopt;
}

}  // namespace tarnwick::testkit
