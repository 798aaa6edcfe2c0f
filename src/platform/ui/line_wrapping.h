#pragma once

#include <cstddef>

namespace tarnwick::platform::ui {

// One character of a text being wrapped: where it lies (byte offsets), how far it advances, and
// whether it ends its line or is a space a line may break after.
struct WrappedScalar {
    std::size_t from = 0, to = 0;
    double advance = 0;
    bool lineBreak = false;
    bool space = false;
};

// Where the last line of a wrapped text begins (a byte offset) and how wide it is.
struct LastWrappedLine {
    std::size_t from = 0;
    double width = 0;
};

// How the text system wraps a text within a width: at the text's own line breaks, after the last
// space before a character that would pass the width (the spaces staying at the end of their
// line), or before that character where the line has no such space. `next(scalar)` gives the
// text's characters in order (false at the end); `endLine(from, to, width)` hears every line but
// the last, with its width up to the break (trailing spaces included unless it broke at a word),
// and says whether to go on. Measuring the size a text needs and setting its lines both wrap
// through here, so the lines drawn are the lines measured.
template <typename Next, typename EndLine>
LastWrappedLine wrapLines(double width, const Next& next, const EndLine& endLine) {
    std::size_t start = 0, breakAt = 0;
    double line = 0;        // width of the line being filled
    double sinceBreak = 0;  // width after the line's last break opportunity
    bool canBreak = false;  // the line holds a break opportunity
    bool goOn = true;
    WrappedScalar s;
    while (goOn && next(s)) {
        if (s.lineBreak) {
            goOn = endLine(start, s.from, line);
            start = s.to;
            line = sinceBreak = 0;
            canBreak = false;
            continue;
        }
        if (s.space) {
            line += s.advance;
            sinceBreak = 0;
            canBreak = true;
            breakAt = s.to;
            continue;
        }
        if (line > 0 && line + s.advance > width) {
            if (canBreak && sinceBreak < line) {
                goOn = endLine(start, breakAt, line - sinceBreak);
                start = breakAt;
                line = sinceBreak;
            } else {
                goOn = endLine(start, s.from, line);
                start = s.from;
                line = sinceBreak = 0;
            }
            canBreak = false;
        }
        line += s.advance;
        sinceBreak += s.advance;
    }
    return LastWrappedLine{start, line};
}

}  // namespace tarnwick::platform::ui
