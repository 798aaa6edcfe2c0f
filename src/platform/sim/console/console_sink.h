#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick::sim {

// Where the console writes: standard output in the program, a string in tests.
class ConsoleSink {
public:
    virtual ~ConsoleSink() = default;
    // Writes the text as it stands; false once the output is gone (a closed pipe).
    virtual bool write(std::string_view text) = 0;
};

class StringSink final : public ConsoleSink {
public:
    bool write(std::string_view text) override {
        text_ += text;
        return true;
    }
    const std::string& text() const { return text_; }
    // The complete lines written so far, without their line feeds.
    std::vector<std::string> lines() const;
    // The lines written since the last call.
    std::vector<std::string> takeLines();
    void clear() {
        text_.clear();
        taken_ = 0;
    }

private:
    std::string text_;
    std::size_t taken_ = 0;
};

// Writes straight to a file descriptor, a whole piece at a time, so each line shows at once.
// `written` hears each piece once written (for what must know where the output stands).
class FileDescriptorSink final : public ConsoleSink {
public:
    explicit FileDescriptorSink(int fd, std::function<void(std::string_view)> written = {})
        : fd_(fd), written_(std::move(written)) {}
    bool write(std::string_view text) override;

private:
    int fd_;
    std::function<void(std::string_view)> written_;
    bool broken_ = false;
};

}  // namespace tarnwick::sim
