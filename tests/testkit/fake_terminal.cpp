#include "testkit/fake_terminal.h"

#include <utility>

#include "platform/ui/text_segmentation.h"

namespace tarnwick::testkit {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// The bytes a UTF-8 character takes, from its first; 0 for a byte that starts none.
std::size_t lengthFrom(unsigned char lead) {
    if (lead >= 0xF8) return 0;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    if (lead >= 0x80) return 0;
    return 1;
}

// The columns a character takes alone: two when wide, none when it is only a joiner or a selector.
std::size_t widthOf(std::string_view character) {
    const auto clusters = platform::ui::segmentText(character);
    if (clusters.empty() || clusters.front().invisible) return 0;
    return clusters.front().wide ? 2 : 1;
}

// Whether the character belongs to the one before it, as a combining mark does.
bool joins(std::string_view before, std::string_view character) {
    return platform::ui::segmentText(std::string(before) + std::string(character)).size() == 1;
}

}  // namespace

bool FakeTerminal::write(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (!sequence_.empty()) {
            sequence_ += c;
            // ESC [ parameters, then one final byte from '@' to '~'.
            if (sequence_.size() == 2 && c != '[') {
                unknown_.push_back(sequence_);
                sequence_.clear();
            } else if (sequence_.size() > 2 && byte >= 0x40 && byte <= 0x7E) {
                escape(sequence_);
                sequence_.clear();
            }
            continue;
        }
        if (!character_.empty()) {
            if ((byte & 0xC0) == 0x80) {
                character_ += c;
                if (character_.size() == lengthFrom(static_cast<unsigned char>(character_[0])))
                    put(std::exchange(character_, {}));
                continue;
            }
            // A character cut short shows as the replacement character; the byte is read anew.
            character_.clear();
            put(kReplacement);
        }
        switch (c) {
        case '\x1b': sequence_ = c; break;
        case '\n': lineFeed(); break;
        case '\r':
            column_ = 0;
            wrapPending_ = false;
            lastCellShown_ = false;
            break;
        case '\a': ++bells_; break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                unknown_.push_back(std::string(1, c));
            } else if (lengthFrom(byte) == 0) {
                put(kReplacement);
            } else if (lengthFrom(byte) > 1) {
                character_ = c;
            } else {
                put(std::string(1, c));
            }
        }
    }
    return true;
}

std::vector<std::string>& FakeTerminal::rowAt(std::size_t row) {
    if (rows_.size() <= row) rows_.resize(row + 1);
    auto& cells = rows_[row];
    if (cells.size() < columns_) cells.resize(columns_, " ");
    return cells;
}

void FakeTerminal::clearCell(std::vector<std::string>& cells, std::size_t column) {
    if (cells[column].empty() && column > 0) cells[column - 1] = " ";
    if (column + 1 < cells.size() && cells[column + 1].empty()) cells[column + 1] = " ";
    cells[column] = " ";
}

void FakeTerminal::put(std::string character) {
    if (lastCellShown_) {
        auto& cell = rowAt(lastRow_)[lastColumn_];
        if (joins(cell, character)) {
            cell += character;
            return;
        }
    }
    const std::size_t width = widthOf(character);
    if (width == 0) return;  // nothing before it to join: it shows nowhere
    // A wide character never straddles two rows: where one column is left, it starts the next.
    if (wrapPending_ || (width == 2 && columns_ >= 2 && column_ + 2 > columns_)) lineFeed();
    auto& cells = rowAt(row_);
    clearCell(cells, column_);
    if (width == 2 && column_ + 1 < columns_) clearCell(cells, column_ + 1);
    lastCellShown_ = true;
    lastRow_ = row_;
    lastColumn_ = column_;
    cells[column_] = std::move(character);
    std::size_t next = column_ + 1;
    if (width == 2 && next < columns_) cells[next++] = "";
    if (next >= columns_) {
        column_ = columns_ - 1;
        wrapPending_ = true;
    } else {
        column_ = next;
    }
}

void FakeTerminal::lineFeed() {
    ++row_;
    column_ = 0;
    wrapPending_ = false;
    lastCellShown_ = false;
    rowAt(row_);
}

void FakeTerminal::escape(std::string_view sequence) {
    const char final = sequence.back();
    const std::string parameter(sequence.substr(2, sequence.size() - 3));
    lastCellShown_ = false;
    if (final == 'A') {
        const std::size_t up = parameter.empty() ? 1 : std::stoul(parameter);
        row_ = up > row_ ? 0 : row_ - up;
        wrapPending_ = false;
        return;
    }
    if ((final == 'J' || final == 'K') && parameter.empty()) {
        auto& cells = rowAt(row_);
        for (std::size_t i = wrapPending_ ? columns_ - 1 : column_; i < columns_; ++i) clearCell(cells, i);
        if (final == 'J' && rows_.size() > row_ + 1) rows_.resize(row_ + 1);
        wrapPending_ = false;
        return;
    }
    unknown_.emplace_back(sequence);
}

std::vector<std::string> FakeTerminal::screen() const {
    std::vector<std::string> shown;
    for (const auto& cells : rows_) {
        std::string line;
        for (const auto& cell : cells) line += cell;
        line.erase(line.find_last_not_of(' ') + 1);
        shown.push_back(line);
    }
    while (!shown.empty() && shown.back().empty()) shown.pop_back();
    return shown;
}

}  // namespace tarnwick::testkit
