#include "platform/sim/console/terminal_line_editor.h"

#include <algorithm>
#include <utility>

#include "platform/sim/console/command_words.h"
#include "platform/ui/text_segmentation.h"

namespace tarnwick::sim {

namespace {

constexpr char kBackspace = 0x08;
constexpr char kDelete = 0x7F;
constexpr char kEndOfInput = 0x04;  // Ctrl-D
constexpr char kKillLine = 0x15;    // Ctrl-U
constexpr char kEraseWord = 0x17;   // Ctrl-W
constexpr char kEscape = 0x1B;
constexpr const char* kBell = "\a";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The bytes of the UTF-8 character a byte starts; one for a byte that starts none.
std::size_t characterLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

bool isContinuation(unsigned char byte) { return byte >= 0x80 && byte <= 0xBF; }

}  // namespace

std::size_t terminalColumns(std::string_view text) {
    std::size_t columns = 0;
    for (const auto& cluster : platform::ui::segmentText(text))
        columns += cluster.invisible ? 0 : cluster.wide ? 2 : 1;
    return columns;
}

std::size_t terminalCursorRow(std::string_view text, std::size_t width) {
    if (width == 0) return 0;
    std::size_t row = 0, taken = 0;
    for (const auto& cluster : platform::ui::segmentText(text)) {
        const std::size_t columns = cluster.invisible ? 0 : cluster.wide ? 2 : 1;
        if (columns == 0) continue;
        if (taken > 0 && taken + columns > width) {
            ++row;
            taken = 0;
        }
        taken += columns;
    }
    return row;
}

TerminalLineEditor::TerminalLineEditor(ConsoleSink& out, std::string prompt, Typed typed,
                                       std::function<std::size_t()> columns)
    : out_(out), prompt_(std::move(prompt)), typed_(std::move(typed)), columns_(std::move(columns)) {}

// ---- the console's side

bool TerminalLineEditor::write(std::string_view text) {
    std::lock_guard lock(mutex_);
    if (text.empty()) return true;
    if (!promptShown_) {
        atLineStart_ = text.back() == '\n';
        return out_.write(text);
    }
    std::string above = erasure();
    above += text;
    if (text.back() != '\n') above += '\n';
    above += prompt_ + line_;
    return out_.write(above);
}

bool TerminalLineEditor::showPrompt() {
    std::lock_guard lock(mutex_);
    if (promptShown_ || stopped_ || ended_) return true;
    std::string drawn = atLineStart_ ? std::string() : std::string("\n");
    drawn += prompt_ + line_;
    promptShown_ = true;
    atLineStart_ = false;
    const bool delivered = out_.write(drawn);
    takeKeystrokes();
    if (typingLocked() == Typing::goesOn && typed_.lookAgain) typed_.lookAgain();
    return delivered;
}

void TerminalLineEditor::stopPrompting() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    if (!promptShown_) return;
    // What was typed stays in sight; the lines after it start under it.
    promptShown_ = false;
    atLineStart_ = true;
    out_.write("\n");
    // What is typed from now on is the shell's.
    if (typed_.lookAgain) typed_.lookAgain();
}

// ---- the keyboard's side

TerminalLineEditor::Typing TerminalLineEditor::type(std::string_view keystrokes, bool morePending) {
    std::lock_guard lock(mutex_);
    if (ended_) return Typing::ended;
    morePending_ = morePending;
    bool dropped = false;
    for (std::size_t i = 0; i < keystrokes.size(); ++i) {
        const char key = keystrokes[i];
        // An Escape that nothing came with is the Escape key itself, not a sequence's start.
        if (escapeSequence(key, i + 1 == keystrokes.size() && !morePending)) continue;
        if (typedAhead_.size() >= kLongestTypedAhead) {
            dropped = true;
            continue;
        }
        typedAhead_ += key;
    }
    if (dropped) out_.write(kBell);
    if (promptShown_) takeKeystrokes();
    return typingLocked();
}

TerminalLineEditor::Typing TerminalLineEditor::typing() {
    std::lock_guard lock(mutex_);
    return typingLocked();
}

TerminalLineEditor::Typing TerminalLineEditor::typingLocked() const {
    if (ended_) return Typing::ended;
    return promptShown_ || blind_ ? Typing::goesOn : Typing::held;
}

void TerminalLineEditor::continued() {
    std::lock_guard lock(mutex_);
    if (!promptShown_ || blind_) return;
    out_.write("\r\x1b[J" + prompt_ + line_);
}

void TerminalLineEditor::keyboardGone() {
    std::lock_guard lock(mutex_);
    if (ended_) return;
    // Nobody types at the prompt any more: what the lines print starts under it.
    if (std::exchange(promptShown_, false)) {
        atLineStart_ = true;
        out_.write("\n");
    }
    blind_ = true;
    // Every line ended by Return is handed on; the one still being typed never was entered.
    takeKeystrokes();
    if (!ended_) endInput();
}

void TerminalLineEditor::takeKeystrokes() {
    // Return hands the line on and takes the prompt with it: what follows waits for the next one.
    std::size_t taken = 0;
    while (taken < typedAhead_.size() && (promptShown_ || blind_) && !ended_) {
        const char key = typedAhead_[taken++];
        takeKeystroke(key);  // the end of input clears what is typed ahead
    }
    typedAhead_.erase(0, taken);
    flush();
}

void TerminalLineEditor::takeKeystroke(char key) {
    const bool afterCarriageReturn = std::exchange(afterCarriageReturn_, false);
    switch (key) {
    case '\r':
        afterCarriageReturn_ = true;
        enter();
        return;
    case '\n':
        // A terminal that sends a carriage return and a line feed for Return ends one line.
        if (!afterCarriageReturn) enter();
        return;
    case kDelete:
    case kBackspace:
        // A whole character as a reader sees it: a letter with its accents, a flag, an emoji
        // sequence joined into one.
        if (!line_.empty()) erase(platform::ui::segmentText(line_).back().from);
        return;
    case kKillLine:
        erase(0);
        return;
    case kEraseWord: {
        std::size_t keep = line_.size();
        while (keep > 0 && isBlank(line_[keep - 1])) --keep;
        while (keep > 0 && !isBlank(line_[keep - 1])) --keep;
        erase(keep);
        return;
    }
    case kEndOfInput:
        if (line_.empty()) endInput();
        return;
    case '\t':
        insert(' ');
        return;
    default:
        // Other control keys would move the cursor or talk to the terminal if echoed.
        if (static_cast<unsigned char>(key) >= 0x20) insert(key);
        return;
    }
}

// The bytes from Escape to the end of one key's sequence (an arrow, a function key, Alt with a
// key) are consumed whole as they come in, never typed; a control key breaks the sequence and
// counts as itself. Terminals send a key's whole sequence in one go, so an Escape `alone` (nothing
// came with it) is the Escape key, which types nothing, and what is typed after it types as usual.
bool TerminalLineEditor::escapeSequence(char key, bool alone) {
    const auto byte = static_cast<unsigned char>(key);
    const Escape state = std::exchange(escape_, Escape::none);
    if (key == kEscape) {
        if (!alone) escape_ = Escape::started;
        return true;
    }
    if (state == Escape::none || byte < 0x20) return false;
    if (state == Escape::started) {
        // Alt with a key, Alt-Backspace (Escape and DEL) among them; past ASCII, a character typed.
        if (byte > 0x7F) return false;
        if (key == '[') escape_ = Escape::controlSequenceStart;
        if (key == 'O') escape_ = Escape::oneMore;
        return true;
    }
    // The Linux console's F1 to F5: Escape, "[[" and a letter.
    if (state == Escape::controlSequenceStart && key == '[') {
        escape_ = Escape::oneMore;
        return true;
    }
    if ((state == Escape::controlSequence || state == Escape::controlSequenceStart) && byte <= 0x3F) {
        escape_ = Escape::controlSequence;  // a parameter or an intermediate: the sequence runs on
        return true;
    }
    // A sequence's last byte; a byte past the sequences' range ends it and is typed.
    return state == Escape::oneMore || byte <= 0x7E;
}

void TerminalLineEditor::insert(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    if (isContinuation(value) && droppedBytes_ > 0) {
        --droppedBytes_;  // the rest of a character that did not fit
        return;
    }
    droppedBytes_ = 0;
    if (value >= 0x80 && value <= 0x9F && !line_.empty() && line_.back() == '\xC2') {
        // U+0080 to U+009F are control characters too: a terminal may take one for the start of a
        // sequence. Its first byte goes again, from the line and from the screen.
        if (!echo_.empty() && echo_.back() == '\xC2') {
            echo_.pop_back();
            line_.pop_back();
        } else {
            const bool lost = lost_;  // the terminal's doing, not the person erasing
            erase(line_.size() - 1);
            lost_ = lost;
        }
        return;
    }
    // A character goes in whole or not at all: one that does not fit rings, and the line that lost
    // it is refused when it ends, unless the person erases some of it first.
    const std::size_t length = isContinuation(value) ? 1 : characterLength(value);
    if (line_.size() + length > kLongestConsoleLine) {
        lost_ = true;
        bellOwed_ = true;
        droppedBytes_ = length - 1;
        return;
    }
    line_ += byte;
    echo_ += byte;
}

void TerminalLineEditor::erase(std::size_t keep) {
    if (keep >= line_.size()) return;
    // Erasing after a loss: the person sees what the line holds, and that is what runs.
    lost_ = false;
    echo_ += erasure();
    line_.resize(keep);
    echo_ += prompt_ + line_;
}

void TerminalLineEditor::enter() {
    echo_ += '\n';
    flush();
    promptShown_ = false;
    atLineStart_ = true;
    std::string line = std::exchange(line_, {});
    droppedBytes_ = 0;
    if (std::exchange(lost_, false)) {
        if (typed_.overlongLine) typed_.overlongLine();
    } else if (typed_.line) {
        typed_.line(std::move(line));
    }
}

void TerminalLineEditor::endInput() {
    if (promptShown_) echo_ += '\n';
    flush();
    promptShown_ = false;
    atLineStart_ = true;
    ended_ = true;
    lost_ = bellOwed_ = false;
    typedAhead_.clear();
    line_.clear();
    if (typed_.end) typed_.end();
}

std::string TerminalLineEditor::erasure() const {
    const std::size_t rowsUp = terminalCursorRow(prompt_ + line_, columns_ ? columns_() : 0);
    std::string erase = "\r";
    if (rowsUp > 0) erase += "\x1b[" + std::to_string(rowsUp) + "A";
    return erase + "\x1b[J";
}

void TerminalLineEditor::flush() {
    // Characters lost to the line's limit ring once for the keys that came together (a paste).
    if (bellOwed_ && !morePending_) {
        echo_ += kBell;
        bellOwed_ = false;
    }
    if (echo_.empty()) return;
    if (!blind_) out_.write(echo_);
    echo_.clear();
}

}  // namespace tarnwick::sim
