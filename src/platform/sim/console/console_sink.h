#pragma once

#include <atomic>
#include <string>
#include <string_view>
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
class FileDescriptorSink final : public ConsoleSink {
public:
    explicit FileDescriptorSink(int fd) : fd_(fd) {}
    bool write(std::string_view text) override;

private:
    int fd_;
    bool broken_ = false;
};

// A terminal's output under a prompt. What is printed while the prompt waits goes on a line of
// its own under it, and the prompt is drawn again below, as an interactive shell does, so that
// a change that happens while the person is reading never runs on from the bare prompt.
class PromptedSink final : public ConsoleSink {
public:
    PromptedSink(ConsoleSink& out, std::string prompt) : out_(out), prompt_(std::move(prompt)) {}
    bool write(std::string_view text) override;
    // Draws the prompt; what is printed next goes under it.
    bool showPrompt();
    // The person ended a line at the prompt, so the terminal is on a fresh line. From the reader's
    // thread.
    void lineEntered() { shown_.store(false, std::memory_order_relaxed); }

private:
    ConsoleSink& out_;
    const std::string prompt_;
    std::atomic<bool> shown_{false};
};

}  // namespace tarnwick::sim
