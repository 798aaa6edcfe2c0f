#pragma once

// Runs part of a test as a user who is not root, in a child process: root writes into a folder
// of mode 0555, so a test of what a person meets there needs another user. CI runs as root.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>

namespace tarnwick::testkit {

// The user and group the child becomes when the test runs as root ("nobody" on Debian).
inline constexpr uid_t kOtherUserID = 65534;
inline constexpr gid_t kOtherGroupID = 65534;

struct OtherUserRun {
    // What the body returned; nothing when no other user could be taken, `skipped` says why.
    std::optional<std::string> result;
    std::string skipped;
};

// Gives a folder of the test, and everything in it, to the user the child becomes, so that it
// may work there as a person works in their home. Does nothing when the test is not root.
inline void giveToOtherUser(const std::filesystem::path& folder) {
    if (::geteuid() != 0) return;
    std::error_code error;
    (void)::lchown(folder.c_str(), kOtherUserID, kOtherGroupID);
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        (void)::lchown(it->path().c_str(), kOtherUserID, kOtherGroupID);
}

// Runs `body` in a child process as user and group 65534 with no other groups when the test is
// root, and as the test's own user otherwise, and returns what the body returns (or what went
// wrong: an exception's text, a signal). The folders the body uses must be reachable by that user.
// The child ends without running the test's destructors, so it removes nothing of the parent's.
inline OtherUserRun runAsOtherUser(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return {std::nullopt, std::string("no pipe: ") + std::strerror(errno)};
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return {std::nullopt, std::string("no child process: ") + std::strerror(errno)};
    }
    constexpr int kCannotChangeUser = 3;
    if (child == 0) {
        ::close(channel[0]);
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kOtherGroupID) != 0 || ::setuid(kOtherUserID) != 0)) {
            const std::string why = std::string("user 65534 cannot be taken: ") + std::strerror(errno);
            (void)!::write(channel[1], why.data(), why.size());
            ::_exit(kCannotChangeUser);
        }
        std::string result;
        try {
            result = body();
        } catch (const std::exception& error) {
            result = std::string("the body threw: ") + error.what();
        } catch (...) {
            result = "the body threw";
        }
        for (size_t written = 0; written < result.size();) {
            const ssize_t n = ::write(channel[1], result.data() + written, result.size() - written);
            if (n <= 0) break;
            written += static_cast<size_t>(n);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string said;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        said.append(buffer, static_cast<size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotChangeUser) return {std::nullopt, said};
    if (WIFSIGNALED(status)) return {"the child ended by signal " + std::to_string(WTERMSIG(status)), {}};
    return {said, {}};
}

}  // namespace tarnwick::testkit
