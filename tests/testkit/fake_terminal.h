#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/console/console_sink.h"

namespace tarnwick::testkit {

// A terminal's screen for the console to write to, as a terminal shows it: characters on rows
// of a fixed width, a line feed to the start of the next row (the terminal's own translation), a
// carriage return to the row's start, and the few sequences the line editor sends: up N rows,
// erase to the end of the screen or of the row. A character takes one column, an East Asian wide
// one or an emoji shown as a picture two, and what joins the character before it (a combining
// mark, a joiner and what it joins, a selector) goes into that character's cell; a character cut
// short, or a byte that starts none, shows as the replacement character. A character that fills a row leaves the cursor on it
// until the next one wraps, and a wide character that does not fit in the row's last column
// starts the next row, as terminals do. A sequence it does not know is kept, so a test sees it
// instead of a screen that only looks right.
class FakeTerminal final : public sim::ConsoleSink {
public:
    explicit FakeTerminal(std::size_t columns = 80) : columns_(columns) {}
    bool write(std::string_view text) override;

    // The rows from the first, trailing blanks cut and empty rows at the end left out.
    std::vector<std::string> screen() const;
    // The row the cursor is on and the column it stands at.
    std::size_t row() const { return row_; }
    std::size_t column() const { return wrapPending_ ? columns_ : column_; }
    std::size_t columns() const { return columns_; }
    int bells() const { return bells_; }
    const std::vector<std::string>& unknownSequences() const { return unknown_; }

private:
    void put(std::string character);
    void lineFeed();
    std::vector<std::string>& rowAt(std::size_t row);
    // Blanks the cell, and the other half of a wide character it is part of.
    void clearCell(std::vector<std::string>& cells, std::size_t column);
    void escape(std::string_view sequence);

    std::size_t columns_;
    // Each cell one character's bytes; the cell after a wide character holds nothing.
    std::vector<std::vector<std::string>> rows_;
    std::size_t row_ = 0, column_ = 0;
    bool wrapPending_ = false;
    // The cell the last character went into, while the cursor has not moved otherwise since.
    bool lastCellShown_ = false;
    std::size_t lastRow_ = 0, lastColumn_ = 0;
    std::string sequence_;  // an escape sequence being read
    std::string character_;  // the bytes of a character being read
    int bells_ = 0;
    std::vector<std::string> unknown_;
};

}  // namespace tarnwick::testkit
