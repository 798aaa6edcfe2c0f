#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "platform/ui/shaped_text.h"

namespace tarnwick::platform::ui {

// One line of a wrapped text, by the text run's cluster indexes.
struct WrappedLine {
    std::size_t first = 0;
    std::size_t end = 0;   // past its last shown cluster: white space at its end does not show
    std::size_t next = 0;  // where the next line begins
    double width = 0;      // of what shows
    bool hardBreak = false;  // it ends at a line break of the text
};

struct WrappedLines {
    std::vector<WrappedLine> lines;
    bool more = false;  // the limit cut lines off
};

// The width of clusters [from, end) of the run shaped on their own.
using ExactWidth = std::function<double(std::size_t from, std::size_t end)>;

// How the text system wraps a text within a width: at the text's own line breaks, and where a
// line would pass the width at its last break opportunity (UAX #14: after spaces, between CJK
// characters, never at a no-break space), or between grapheme clusters where the line has none.
// White space at the end of a line hangs past it. A line is never wider than the width unless it
// is one cluster; where the cut reshapes its neighbours the line is measured shaped on its own
// (`exact`). At most `limit` lines (0: no limit); an empty text, and a text ending in a line
// break, end with an empty line. Measuring a text and setting its lines both wrap through here,
// so the lines drawn are the lines measured.
WrappedLines wrapLines(const TextRun& run, double width, std::size_t limit, const ExactWidth& exact);

// The width a text is set in for a box of this width. A box made from a text's own measured
// width (less the padding or bezel around it, or scaled with its font) may come out a rounding
// hair narrower than the measure; the text still fits it, whether measured or drawn.
double settingWidth(double boxWidth);

}  // namespace tarnwick::platform::ui
