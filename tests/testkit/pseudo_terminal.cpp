#include "testkit/pseudo_terminal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tarnwick::testkit {

PseudoTerminal::PseudoTerminal(unsigned short columns, unsigned short rows) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return;
    char name[128] = {};
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) return;
    name_ = name;
    terminal_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    winsize size{};
    size.ws_col = columns;
    size.ws_row = rows;
    ioctl(master_, TIOCSWINSZ, &size);
}

PseudoTerminal::~PseudoTerminal() {
    closeTerminal();
    if (master_ >= 0) close(master_);
}

void PseudoTerminal::closeTerminal() {
    if (terminal_ >= 0) close(terminal_);
    terminal_ = -1;
}

termios PseudoTerminal::mode() const {
    termios mode{};
    tcgetattr(terminal_, &mode);
    return mode;
}

void PseudoTerminal::type(std::string_view keys) const {
    std::size_t done = 0;
    while (done < keys.size()) {
        const ssize_t n = write(master_, keys.data() + done, keys.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

std::optional<std::string> PseudoTerminal::readMaster(std::chrono::milliseconds patience) const {
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(patience.count())) <= 0 || !(fd.revents & POLLIN)) return std::nullopt;
    char buffer[4096];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string PseudoTerminal::unread() const {
    std::string text;
    const int flags = fcntl(terminal_, F_GETFL);
    fcntl(terminal_, F_SETFL, flags | O_NONBLOCK);
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(terminal_, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    fcntl(terminal_, F_SETFL, flags);
    return text;
}

bool sameMode(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

std::string describeMode(const termios& mode) {
    char text[160];
    std::snprintf(text, sizeof text, "iflag %#o oflag %#o cflag %#o lflag %#o (%s%s) vmin %d", mode.c_iflag,
                  mode.c_oflag, mode.c_cflag, mode.c_lflag, mode.c_lflag & ICANON ? "icanon" : "-icanon",
                  mode.c_lflag & ECHO ? " echo" : " -echo", mode.c_cc[VMIN]);
    return text;
}

}  // namespace tarnwick::testkit
