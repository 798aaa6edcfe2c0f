#include "platform/sim/console/console_sink.h"

#include <cerrno>
#include <unistd.h>

namespace tarnwick::sim {

namespace {

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1)
        lines.emplace_back(text.substr(start, end - start));
    return lines;
}

}  // namespace

std::vector<std::string> StringSink::lines() const { return splitLines(text_); }

std::vector<std::string> StringSink::takeLines() {
    const std::size_t end = text_.rfind('\n');
    if (end == std::string::npos || end + 1 <= taken_) return {};
    auto lines = splitLines(std::string_view(text_).substr(taken_, end + 1 - taken_));
    taken_ = end + 1;
    return lines;
}

bool FileDescriptorSink::write(std::string_view text) {
    const std::string_view piece = text;
    while (!broken_ && !text.empty()) {
        const ssize_t written = ::write(fd_, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            broken_ = true;
            break;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    if (written_ && !broken_) written_(piece);
    return !broken_;
}

}  // namespace tarnwick::sim
