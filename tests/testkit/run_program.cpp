#include "testkit/run_program.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tarnwick::testkit {

std::vector<std::string> programEnvironment(const std::map<std::string, std::string>& environment,
                                            const std::vector<std::string>& unset) {
    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        auto eq = entry.find('=');
        if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    merged.erase("TARNWICK_SESSION");
    for (const auto& name : unset) merged.erase(name);
    for (const auto& [key, value] : environment) merged[key] = value;
    std::vector<std::string> result;
    for (const auto& [key, value] : merged) result.push_back(key + "=" + value);
    return result;
}

ProgramResult runTarnwick(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment,
                          const RunOptions& options) {
    ProgramResult result;
    // The input waits in the pipe before the program starts, so writing it never meets a reader
    // that went away.
    int in[2] = {-1, -1};
    if (options.input) {
        if (pipe2(in, O_CLOEXEC) != 0) return result;
        const bool whole = options.input->size() <= 65536 && fcntl(in[1], F_SETFL, O_NONBLOCK) == 0 &&
                           write(in[1], options.input->data(), options.input->size()) ==
                               static_cast<ssize_t>(options.input->size());
        close(in[1]);
        if (!whole) {
            close(in[0]);
            return result;
        }
    }

    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        if (in[0] >= 0) close(in[0]);
        return result;
    }
    if (options.closedOutput) {
        // Nobody reads: the program's writes fail with a broken pipe.
        close(out[0]);
        out[0] = -1;
    }

    std::vector<std::string> storage{TARNWICK_BINARY};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStorage = programEnvironment(environment, options.unset);
    std::vector<char*> envp;
    for (auto& e : envStorage) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in[0] >= 0) posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    if (options.outputFile)
        posix_spawn_file_actions_addopen(&actions, 1, options.outputFile->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    else
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    if (out[0] >= 0) posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    pid_t pid;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (in[0] >= 0) close(in[0]);
    close(out[1]);
    close(err[1]);
    if (options.outputFile && out[0] >= 0) {
        close(out[0]);
        out[0] = -1;
    }
    if (spawned != 0) {
        if (out[0] >= 0) close(out[0]);
        close(err[0]);
        return result;
    }
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.standardOutput, &result.standardError};
    int open = out[0] >= 0 ? 2 : 1;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[8192];
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.terminatingSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

}  // namespace tarnwick::testkit
