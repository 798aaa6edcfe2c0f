#include "platform/ui/line_wrapping.h"

#include "platform/ui/text_work.h"

namespace tarnwick::platform::ui {

namespace {

// The line that begins at `start`, by the advances of the run.
WrappedLine walkLine(const TextRun& run, std::size_t start, double width) {
    const std::size_t count = run.size();
    WrappedLine line{start, start, count, 0, false};
    WrappedLine atBreak;
    bool canBreak = false;
    double all = 0;  // the advances of [start, i), hanging white space included
    for (std::size_t i = start; i < count; ++i) {
        const auto& cluster = run.cluster(i);
        if (cluster.hardBreak) {
            line.next = i + 1;
            line.hardBreak = true;
            return line;
        }
        if (i > start && cluster.breakBefore) {
            atBreak = line;
            atBreak.next = i;
            canBreak = true;
        }
        const double advance = run.advance(i);
        if (!cluster.hangs) {
            if (i > start && all + advance > width) {
                if (canBreak) return atBreak;
                line.next = i;
                return line;
            }
            line.end = i + 1;
            line.width = all + advance;
        }
        all += advance;
    }
    return line;
}

WrappedLine nextLine(const TextRun& run, std::size_t start, double width) {
    const WrappedLine line = walkLine(run, start, width);
    textWorkOnThisThread().clustersWrapped += line.next > start ? line.next - start : 1;
    return line;
}

// Where the line was cut inside a shaping context, it is measured as drawn, and gives up
// clusters at its end while that is wider than the width.
void measureExactly(const TextRun& run, WrappedLine& line, double width, const ExactWidth& exact) {
    const auto unsafe = [&](std::size_t at) { return at > 0 && at < run.size() && run.unsafeBefore(at); };
    if (line.end <= line.first || (!unsafe(line.first) && !unsafe(line.end))) return;
    double measured = exact(line.first, line.end);
    while (measured > width && line.end > line.first + 1) {
        // Give up clusters at the end worth at least the excess, one at the least.
        double given = 0;
        std::size_t end = line.end;
        do given += run.advance(--end);
        while (given < measured - width && end > line.first + 1);
        line.next = end;
        line.hardBreak = false;
        line.end = end;
        while (line.end > line.first && run.cluster(line.end - 1).hangs) --line.end;
        measured = line.end > line.first ? exact(line.first, line.end) : 0;
    }
    line.width = measured;
}

}  // namespace

double settingWidth(double boxWidth) { return (boxWidth > 0 ? boxWidth : 0.0) * (1 + 1e-9); }

WrappedLines wrapLines(const TextRun& run, double width, std::size_t limit, const ExactWidth& exact) {
    WrappedLines wrapped;
    std::size_t start = 0;
    for (;;) {
        auto line = nextLine(run, start, width);
        measureExactly(run, line, width, exact);
        wrapped.lines.push_back(line);
        const bool done = line.next >= run.size() && !line.hardBreak;
        if (done) break;
        if (limit > 0 && wrapped.lines.size() >= limit) {
            wrapped.more = true;
            break;
        }
        start = line.next;
    }
    return wrapped;
}

}  // namespace tarnwick::platform::ui
