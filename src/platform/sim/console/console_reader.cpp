#include "platform/sim/console/console_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console.h"

namespace tarnwick::sim {

ConsoleReader::ConsoleReader(Console& console, int fd, bool keystrokes)
    : console_(console), fd_(fd), keystrokes_(keystrokes) {
    if (pipe2(stop_, O_CLOEXEC) != 0) stop_[0] = stop_[1] = -1;
    thread_ = std::thread([this] { read(); });
}

ConsoleReader::~ConsoleReader() {
    if (stop_[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] auto written = ::write(stop_[1], &byte, 1);
    }
    thread_.join();
    for (int fd : stop_)
        if (fd >= 0) ::close(fd);
}

void ConsoleReader::finishLine() {
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    if (overlong_ || line_.size() > kLongestConsoleLine)
        console_.receiveOverlongLine();
    else
        console_.receive(line_);
    line_.clear();
    overlong_ = false;
}

void ConsoleReader::read() {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    char buffer[4096];
    while (true) {
        if (poll(fds, stop_[0] >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (stop_[0] >= 0 && fds[1].revents) return;  // stopped: no end of input to report
        if (!fds[0].revents) continue;
        const ssize_t count = ::read(fd_, buffer, sizeof buffer);
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (count <= 0) break;
        if (keystrokes_) {
            // Ctrl-D ended the input: nothing more is read.
            if (!console_.type(std::string_view(buffer, static_cast<std::size_t>(count)))) return;
            continue;
        }
        for (ssize_t i = 0; i < count; ++i) {
            const char c = buffer[i];
            if (c == '\n') {
                finishLine();
            } else if (!overlong_) {
                line_ += c;
                // Room for a carriage return before the line feed, which does not count.
                if (line_.size() > kLongestConsoleLine + 1) {
                    overlong_ = true;
                    line_.clear();
                }
            }
        }
    }
    if (keystrokes_) return console_.keyboardGone();
    if (!line_.empty() || overlong_) finishLine();
    console_.endOfInput();
}

}  // namespace tarnwick::sim
