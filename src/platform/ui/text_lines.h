#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/font.h"
#include "platform/ui/text_label.h"
#include "platform/ui/text_metrics.h"

namespace tarnwick::platform::ui {

// How a text is set in a box: the room it has, how many lines it may take and what happens to
// what does not fit.
struct TextBox {
    double width = 0;
    // The lines that fit this height are shown at most; 0: as many as the line limit allows.
    double height = 0;
    int maximumLines = 1;  // 0: no limit
    bool wraps = false;
    LineBreakMode lineBreakMode = LineBreakMode::truncatingTail;
};

// One line as it shows, with its width measured as drawn.
struct ShownLine {
    std::string text;
    double width = 0;
    bool rightToLeft = false;  // its paragraph runs right to left
};

// The lines a text shows in the box, measured with `metrics` the way the text system lays them
// out (the same breaks as TextMetrics::fittingSize, see wrapLines): at break opportunities within
// the width (between grapheme clusters where a line has none) and at the text's own line breaks;
// one line otherwise, its line breaks shown as spaces. Where the text is cut short (by the width
// of one line, the line limit or the height) a truncating mode puts "…" at the head, middle or
// tail of the last line so it fits the width, cutting only between grapheme clusters; cut by the
// limit, the last line holds the rest of its own paragraph and always shows "…". The other modes
// leave the lines as laid out, to be clipped where they are drawn. White space at the end of a
// line does not show. An empty text shows no lines.
std::vector<ShownLine> shownLines(TextMetrics& metrics, std::string_view text, const Font& font, const TextBox& box);

}  // namespace tarnwick::platform::ui
