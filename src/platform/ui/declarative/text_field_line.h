#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/ui/font.h"
#include "platform/ui/shaped_text.h"

namespace tarnwick::platform::ui {

// The one line of a text field being edited, as its field editor sets it: the whole text on one
// line, never cut short, from the leading edge of the field's text area (the trailing edge where
// its paragraph runs right to left), measured with the platform's text metrics.
class FieldTextLine {
public:
    FieldTextLine(std::string_view text, const Font& font);
    // How far the edge before the byte lies from the line's start (a byte inside a grapheme
    // cluster: the cluster's start; past the text: its end).
    double advance(std::size_t offset) const;
    double width() const { return run_.width(0, run_.size()); }
    bool rightToLeft() const { return rightToLeft_; }

private:
    TextRun run_;
    bool rightToLeft_ = false;
};

// The caret is this wide, and the line leaves it room after its last character.
inline constexpr double kFieldCaretWidth = 1;

// How far the line of a field being edited is scrolled along itself (its start hidden by that
// much past the text area's leading edge) once the field shows the offset `shown` (the caret, or
// the end of a selection the keys move), in a text area `areaWidth` wide, having been scrolled
// `scroll`: it scrolls the least that brings the caret inside the area, and never so far that
// room is left empty after the line's end while its start is hidden. Without an offset to show
// the scroll only keeps within those bounds. A line that fits is not scrolled.
double scrolledToShow(const FieldTextLine& line, double areaWidth, double scroll, std::optional<std::size_t> shown);

}  // namespace tarnwick::platform::ui
