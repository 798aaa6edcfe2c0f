#include "platform/sim/console/console_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console.h"
#include "platform/sim/console/terminal_mode.h"

namespace tarnwick::sim {

namespace {

constexpr char kStop = 0;
constexpr char kLookAgain = 1;

void send(int fd, char byte) {
    if (fd >= 0) [[maybe_unused]] auto written = ::write(fd, &byte, 1);
}

// Whether more bytes wait to be read now, without waiting for any.
bool pending(int fd) {
    pollfd more{fd, POLLIN, 0};
    return poll(&more, 1, 0) > 0 && (more.revents & POLLIN);
}

}  // namespace

ConsoleReader::ConsoleReader(Console& console, int fd, bool keystrokes, const TerminalMode* terminal)
    : console_(console), fd_(fd), keystrokes_(keystrokes), terminal_(terminal) {
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
    if (keystrokes_) console_.watchKeyboard([this] { send(wake_[1], kLookAgain); });
    thread_ = std::thread([this] { read(); });
}

ConsoleReader::~ConsoleReader() {
    send(wake_[1], kStop);
    thread_.join();
    if (keystrokes_) console_.watchKeyboard(nullptr);
    for (int fd : wake_)
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

void ConsoleReader::readLines(const char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const char c = bytes[i];
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

bool ConsoleReader::typingEnded(bool ended) {
    if (ended && terminal_) terminal_->restore();
    return ended;
}

void ConsoleReader::read() {
    using Typing = TerminalLineEditor::Typing;
    const int continued = terminal_ ? terminal_->continuedSignal() : -1;
    Typing typing = keystrokes_ ? console_.typing() : Typing::goesOn;
    char buffer[4096];
    while (true) {
        // At a terminal, read only while a prompt wants keys: what is typed meanwhile waits in the
        // terminal, and what follows the line that ends the run stays there for the shell.
        pollfd fds[3] = {{typing == Typing::held ? -1 : fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}, {continued, POLLIN, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) {
            char signals[16];
            ssize_t count = 0;
            while ((count = ::read(wake_[0], signals, sizeof signals)) > 0)
                for (ssize_t i = 0; i < count; ++i)
                    if (signals[i] == kStop) return;  // stopped: no end of input to report
            if (count == 0) return;
            typing = console_.typing();
            if (typingEnded(typing == Typing::ended)) return;
        }
        if (fds[2].revents) {
            while (::read(continued, buffer, sizeof buffer) > 0) {
            }
            console_.continued();
        }
        if (!fds[0].revents) continue;
        // The prompt may have gone meanwhile (the run ended).
        if (keystrokes_ && (typing = console_.typing()) != Typing::goesOn) {
            if (typingEnded(typing == Typing::ended)) return;
            continue;
        }
        // At a terminal, a byte at a time: nothing is taken from it past the Return that takes
        // the prompt away, or the Ctrl-D that ends the input.
        const ssize_t count = ::read(fd_, buffer, keystrokes_ ? 1 : sizeof buffer);
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (count <= 0) break;
        if (!keystrokes_) {
            readLines(buffer, static_cast<std::size_t>(count));
            continue;
        }
        // A key's sequence comes in one go, so what already waits behind a byte belongs with it.
        typing = console_.type(std::string_view(buffer, static_cast<std::size_t>(count)), pending(fd_));
        if (typingEnded(typing == Typing::ended)) return;
    }
    if (keystrokes_) return console_.keyboardGone();
    if (!line_.empty() || overlong_) finishLine();
    console_.endOfInput();
}

}  // namespace tarnwick::sim
