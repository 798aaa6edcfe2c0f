#include "testkit/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace tarnwick::testkit {

namespace {

namespace fs = std::filesystem;

std::string because(const std::string& what) { return what + " (" + std::strerror(errno) + ")"; }

bool writeWhole(int fd, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// Runs `setUp` and then `body` in a forked child; the child's answer comes back through a pipe as
// one letter (A: the body's answer, S: skipped) and the text.
ChildOutcome inAChild(const std::function<std::string()>& setUp, const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) return {"", because("no pipe for the child")};
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return {"", because("no child process")};
    }
    if (child == 0) {
        ::close(channel[0]);
        std::string message;
        try {
            const std::string notHere = setUp();
            message = notHere.empty() ? "A" + body() : "S" + notHere;
        } catch (const ChildSkip& skip) {
            message = std::string("S") + skip.what();
        } catch (const std::exception& error) {
            message = std::string("Athe child's body threw: ") + error.what();
        } catch (...) {
            message = "Athe child's body threw";
        }
        ::_exit(writeWhole(channel[1], message) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string message;
    char buffer[4096];
    while (true) {
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        message.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (message.empty() || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {"the child ended without its answer (status " + std::to_string(status) + ")", ""};
    if (message[0] == 'S') return {"", message.substr(1)};
    return {message.substr(1), ""};
}

// Gives the folder and everything in it, links themselves and not what they lead to, to the user.
std::string giveTo(const fs::path& folder, uid_t user, gid_t group) {
    if (::lchown(folder.c_str(), user, group) != 0) return because("could not give " + folder.string() + " to nobody");
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (::lchown(it->path().c_str(), user, group) != 0) return because("could not give " + it->path().string() + " to nobody");
    return error ? "could not list " + folder.string() + ": " + error.message() : "";
}

// Writes one line to one of the child's own files under /proc/self (its id maps).
bool writeOwnSetting(const char* file, const std::string& line) {
    const int fd = ::open(file, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = writeWhole(fd, line);
    ::close(fd);
    return written;
}

}  // namespace

ChildOutcome asUnprivilegedUser(const std::vector<fs::path>& folders, const std::function<std::string()>& body) {
    const auto setUp = [&folders]() -> std::string {
        if (::geteuid() != 0) return "";
        for (const auto& folder : folders)
            if (auto failed = giveTo(folder, kUnprivilegedId, kUnprivilegedId); !failed.empty()) return "skipped: " + failed;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 || ::setuid(kUnprivilegedId) != 0)
            return "skipped: " + because("could not take nobody's ids");
        for (const auto& folder : folders)
            if (::faccessat(AT_FDCWD, folder.c_str(), R_OK | W_OK | X_OK, AT_EACCESS) != 0)
                return "skipped: " + because(folder.string() + " is out of nobody's reach");
        return "";
    };
    return inAChild(setUp, body);
}

ChildOutcome withMountsOfItsOwn(const std::function<std::string()>& body) {
    const auto setUp = []() -> std::string {
        const uid_t user = ::geteuid();
        const gid_t group = ::getegid();
        if (user == 0) {
            if (::unshare(CLONE_NEWNS) != 0) return "skipped: " + because("no mount namespace of its own");
        } else {
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return "skipped: " + because("no user and mount namespace");
            if (!writeOwnSetting("/proc/self/setgroups", "deny") ||
                !writeOwnSetting("/proc/self/uid_map", "0 " + std::to_string(user) + " 1") ||
                !writeOwnSetting("/proc/self/gid_map", "0 " + std::to_string(group) + " 1"))
                return "skipped: " + because("could not map the test's user into its namespace");
        }
        // The namespace starts with copies of the machine's mounts, and a mount made under a
        // shared one would reach the machine's: every copy is made private before anything else.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return "skipped: " + because("could not make the namespace's mounts private");
        return "";
    };
    return inAChild(setUp, body);
}

void mountReadOnlyDisk(const fs::path& folder) {
    if (::mount("tarnwick-test", folder.c_str(), "tmpfs", MS_RDONLY | MS_NOSUID | MS_NODEV | MS_NOEXEC, "size=16k") != 0)
        throw ChildSkip("skipped: " + because("could not mount a read-only disk at " + folder.string()));
}

}  // namespace tarnwick::testkit
