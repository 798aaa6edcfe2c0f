#include "platform/ui/text_lines.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/line_wrapping.h"

namespace tarnwick::platform::ui {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

bool truncates(LineBreakMode mode) {
    return mode == LineBreakMode::truncatingHead || mode == LineBreakMode::truncatingMiddle ||
           mode == LineBreakMode::truncatingTail;
}

// Clusters [first, end) of a line, measured.
struct Piece {
    std::size_t first = 0, end = 0;
    double width = 0;
};

// A text's clusters and how to read and measure spans of them.
struct SetText {
    TextMetrics& metrics;
    std::string_view text;
    const Font& font;
    TextRun run;

    // The clusters as they show on one line: the text's line breaks as spaces.
    std::string shown(std::size_t first, std::size_t end) const {
        std::string out;
        for (std::size_t i = first; i < end && i < run.size(); ++i) {
            if (run.cluster(i).hardBreak)
                out += ' ';
            else
                out += text.substr(run.offset(i), run.offset(i + 1) - run.offset(i));
        }
        return out;
    }
    double exactWidth(std::size_t first, std::size_t end) const {
        return metrics.lineWidth(text.substr(run.offset(first), run.offset(end) - run.offset(first)), font);
    }
    std::size_t trimmedEnd(std::size_t first, std::size_t end) const {
        while (end > first && run.cluster(end - 1).hangs) --end;
        return end;
    }
    std::size_t trimmedStart(std::size_t first, std::size_t end) const {
        while (first < end && run.cluster(first).hangs) ++first;
        return first;
    }
};

// The largest count in [0, limit] for which `fits` holds, `fits` holding for all counts below
// one for which it holds; -1 when it holds for none.
template <typename Fits>
long largestFitting(long limit, const Fits& fits) {
    long low = -1, high = limit;
    while (low < high) {
        const long middle = low + (high - low + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

// The piece cut to the width with "…" where the mode puts it, keeping whole clusters: "…" alone
// where not even that fits. `always` keeps all of a piece that fits and adds "…" to it.
ShownLine truncated(const SetText& set, Piece piece, double width, LineBreakMode mode, bool always) {
    const double ellipsis = set.metrics.lineWidth(kEllipsis, set.font);
    const long count = static_cast<long>(piece.end - piece.first);
    // The clusters kept of the head and of the tail when n are kept.
    const auto split = [&](long n) -> std::pair<long, long> {
        if (mode == LineBreakMode::truncatingHead) return {0, n};
        if (mode == LineBreakMode::truncatingMiddle) return {(n + 1) / 2, n / 2};
        return {n, 0};
    };
    const auto headEnd = [&](long n) {
        return set.trimmedEnd(piece.first, piece.first + static_cast<std::size_t>(split(n).first));
    };
    const auto tailStart = [&](long n) {
        return set.trimmedStart(piece.end - static_cast<std::size_t>(split(n).second), piece.end);
    };
    const auto text = [&](long n) {
        return set.shown(piece.first, headEnd(n)) + std::string(kEllipsis) + set.shown(tailStart(n), piece.end);
    };
    // Chosen by the clusters' advances, then measured as drawn; where the line with its "…" is
    // still too wide (a kerning pair met at the cut), chosen again by measuring as drawn.
    const long kept = largestFitting(always ? count : count - 1, [&](long n) {
        return set.run.width(piece.first, headEnd(n)) + ellipsis + set.run.width(tailStart(n), piece.end) <= width;
    });
    ShownLine best;
    const auto fitsAsDrawn = [&](long n) {
        std::string line = text(n);
        const double measured = set.metrics.candidateWidth(line, set.font);
        if (measured > width) return false;
        best = ShownLine{std::move(line), measured};
        return true;
    };
    // Where not even "…" fits, "…" alone still says that something was cut, clipped where it is
    // drawn.
    if (kept < 0 || (!fitsAsDrawn(kept) && largestFitting(kept - 1, fitsAsDrawn) < 0))
        return ShownLine{std::string(kEllipsis), ellipsis};
    return best;
}

}  // namespace

std::vector<ShownLine> shownLines(TextMetrics& metrics, std::string_view text, const Font& font, const TextBox& box) {
    std::vector<ShownLine> shown;
    if (text.empty()) return shown;
    const double width = settingWidth(box.width);
    std::size_t limit = box.maximumLines > 0 && box.wraps ? static_cast<std::size_t>(box.maximumLines) : 0;
    const double lineHeight = metrics.defaultLineHeight(font);
    if (box.height > 0 && lineHeight > 0) {
        // A line that nearly fits still shows (rounding of frames).
        const auto fitting = static_cast<std::size_t>(std::max(1.0, std::floor(box.height / lineHeight + 0.01)));
        limit = limit == 0 ? fitting : std::min(limit, fitting);
    }
    const SetText set{metrics, text, font, metrics.shape(text, font)};
    const std::size_t count = set.run.size();

    std::vector<Piece> pieces;
    bool cut = false;
    if (!box.wraps) {
        const std::size_t end = set.trimmedEnd(0, count);
        // Measured as drawn: its line breaks as spaces, its white space at the end left out.
        pieces.push_back(Piece{0, end, metrics.lineWidth(set.shown(0, end), font)});
        cut = pieces.back().width > width;
    } else {
        const auto wrapped = wrapLines(set.run, width, limit, [&](std::size_t first, std::size_t end) {
            return set.exactWidth(first, end);
        });
        for (const auto& line : wrapped.lines) pieces.push_back(Piece{line.first, line.end, line.width});
        cut = wrapped.more;
        if (cut && truncates(box.lineBreakMode)) {
            // The last line that shows holds the rest of its paragraph, cut short with "…".
            auto& last = pieces.back();
            std::size_t end = last.first;
            while (end < count && !set.run.cluster(end).hardBreak) ++end;
            last.end = set.trimmedEnd(last.first, end);
        }
    }

    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto& piece = pieces[i];
        const bool rtl = piece.first < count && set.run.cluster(piece.first).rightToLeft;
        ShownLine line;
        if (cut && truncates(box.lineBreakMode) && i + 1 == pieces.size())
            line = truncated(set, piece, width, box.lineBreakMode, box.wraps);
        else if (box.wraps && piece.first == 0 && piece.end == count)
            line = ShownLine{std::string(text), metrics.lineWidth(text, font)};  // the text as the metrics measure it
        else
            line = ShownLine{set.shown(piece.first, piece.end), piece.width};
        line.rightToLeft = rtl;
        shown.push_back(std::move(line));
    }
    return shown;
}

}  // namespace tarnwick::platform::ui
