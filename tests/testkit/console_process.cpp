#include "testkit/console_process.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "testkit/run_program.h"

namespace tarnwick::testkit {

// "ok", "ok: <what still runs>" or "error: <sentence>".
bool isAnswer(const std::string& line) {
    return line == "ok" || line.rfind("ok: ", 0) == 0 || line.rfind("error: ", 0) == 0;
}

std::string transcript(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

bool printed(const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(part) != std::string::npos; });
}

ConsoleProcess::ConsoleProcess(Options options) : patience_(options.patience) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
    std::vector<std::string> storage{options.program ? options.program->string() : std::string(TARNWICK_BINARY)};
    storage.insert(storage.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char*> argv;
    for (auto& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);

    std::map<std::string, std::string> variables{{"HOME", options.home.string()}, {"TARNWICK_CONSOLE", "1"}};
    if (options.virtualTime) variables["TARNWICK_VIRTUAL_TIME"] = "1";
    if (options.session) variables["TARNWICK_SESSION"] = options.session->string();
    for (const auto& [key, value] : options.environment) variables[key] = value;
    std::vector<std::string> unset;
    if (!options.virtualTime) unset.push_back("TARNWICK_VIRTUAL_TIME");
    std::vector<std::string> envStorage = programEnvironment(variables, unset);
    std::vector<char*> envp;
    for (auto& e : envStorage) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        pid_ = -1;
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return;
    }
    input_ = in[1];
    output_ = out[0];
    errors_ = err[0];
}

ConsoleProcess::~ConsoleProcess() {
    // The program ends with its input (as at a logout); one that does not is stopped.
    closeInput();
    if (pid_ > 0 && !status_) finish();
    for (int fd : {input_, output_, errors_})
        if (fd >= 0) close(fd);
}

void ConsoleProcess::write(const std::string& bytes) {
    std::size_t done = 0;
    while (input_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(input_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
}

void ConsoleProcess::closeInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
}

void ConsoleProcess::signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
}

// Reads whatever the program wrote next; false once both its streams ended or it said nothing
// for too long.
bool ConsoleProcess::pump() {
    pollfd fds[2] = {{output_, POLLIN, 0}, {errors_, POLLIN, 0}};
    if (output_ < 0 && errors_ < 0) return false;
    const int ready = poll(fds, 2, patience_ * 1000);
    if (ready <= 0) {
        readFailed_ = true;
        return false;
    }
    char buffer[8192];
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        if (n > 0) {
            (i == 0 ? pending_ : error_).append(buffer, static_cast<std::size_t>(n));
        } else {
            close(fds[i].fd);
            (i == 0 ? output_ : errors_) = -1;
            if (i == 0) outputEnded_ = true;
        }
    }
    return true;
}

std::optional<std::string> ConsoleProcess::line() {
    while (true) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string text = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return text;
        }
        if (outputEnded_ || !pump()) {
            if (outputEnded_ && !pending_.empty()) {
                std::string text = std::move(pending_);
                pending_.clear();
                return text;
            }
            return std::nullopt;
        }
    }
}

std::vector<std::string> ConsoleProcess::untilAnswers(int answers) {
    std::vector<std::string> lines;
    while (answers > 0) {
        auto next = line();
        if (!next) break;
        if (isAnswer(*next)) --answers;
        lines.push_back(std::move(*next));
    }
    return lines;
}

std::vector<std::string> ConsoleProcess::ready() {
    std::vector<std::string> lines;
    while (auto next = line()) {
        lines.push_back(*next);
        if (*next == "ready") break;
    }
    return lines;
}

std::vector<std::string> ConsoleProcess::send(const std::string& command) {
    write(command + "\n");
    return untilAnswers(1);
}

std::vector<std::string> ConsoleProcess::sendAll(const std::vector<std::string>& lines, int answers) {
    std::string bytes;
    for (const auto& l : lines) bytes += l + "\n";
    write(bytes);
    return untilAnswers(answers);
}

int ConsoleProcess::finish() {
    if (status_) return *status_;
    while (auto next = line()) rest_.push_back(std::move(*next));
    // A program that fell silent is not waited for a second time on its error output.
    while (errors_ >= 0 && !readFailed_ && pump()) {
    }
    int status = 0;
    if (pid_ <= 0) return -1;
    if (readFailed_) kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return *status_;
}

}  // namespace tarnwick::testkit
