#include "platform/ui/text_lines.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/line_wrapping.h"

namespace tarnwick::platform::ui {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

// The byte offsets where the text's scalars begin (stray continuation bytes at the start go
// with the first), and its end.
std::vector<std::size_t> scalarBoundaries(std::string_view text) {
    std::vector<std::size_t> boundaries;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i == 0 || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) boundaries.push_back(i);
    boundaries.push_back(text.size());
    return boundaries;
}

bool isLineBreak(std::string_view scalar) {
    return scalar == "\n" || scalar == "\r" || scalar == "\xE2\x80\xA8" || scalar == "\xE2\x80\xA9";
}
bool isSpace(std::string_view scalar) { return scalar == " " || scalar == "\t" || scalar == "\xC2\xA0"; }

std::string trimmedRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return std::string(text);
}

std::string trimmedLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return std::string(text);
}

// The text on one line: its own line breaks shown as spaces.
std::string oneLine(std::string_view text) {
    std::string line;
    const auto boundaries = scalarBoundaries(text);
    for (std::size_t i = 0; i + 1 < boundaries.size(); ++i) {
        const auto scalar = text.substr(boundaries[i], boundaries[i + 1] - boundaries[i]);
        line += isLineBreak(scalar) ? std::string_view(" ") : scalar;
    }
    return line;
}

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

// The line cut to the width with "…" where the mode puts it; nothing where not even "…" fits.
std::string truncated(TextMetrics& metrics, const std::string& line, const Font& font, double width,
                      LineBreakMode mode) {
    if (metrics.lineWidth(line, font) <= width) return line;
    const auto b = scalarBoundaries(line);
    const long count = static_cast<long>(b.size()) - 1;
    const auto head = [&](long n) { return std::string_view(line).substr(0, b[static_cast<std::size_t>(n)]); };
    const auto tail = [&](long n) { return std::string_view(line).substr(b[static_cast<std::size_t>(count - n)]); };
    std::string best;
    const auto fits = [&](std::string candidate) {
        if (metrics.lineWidth(candidate, font) > width) return false;
        best = std::move(candidate);
        return true;
    };
    long kept = -1;
    switch (mode) {
        case LineBreakMode::truncatingHead:
            kept = largestFitting(count - 1, [&](long n) { return fits(std::string(kEllipsis) + trimmedLeft(tail(n))); });
            if (kept >= 0) fits(std::string(kEllipsis) + trimmedLeft(tail(kept)));
            break;
        case LineBreakMode::truncatingMiddle: {
            const auto around = [&](long n) {
                return trimmedRight(head((n + 1) / 2)) + std::string(kEllipsis) + trimmedLeft(tail(n / 2));
            };
            kept = largestFitting(count - 1, [&](long n) { return fits(around(n)); });
            if (kept >= 0) fits(around(kept));
            break;
        }
        default:
            kept = largestFitting(count - 1, [&](long n) { return fits(trimmedRight(head(n)) + std::string(kEllipsis)); });
            if (kept >= 0) fits(trimmedRight(head(kept)) + std::string(kEllipsis));
            break;
    }
    return kept >= 0 ? best : std::string();
}

bool truncates(LineBreakMode mode) {
    return mode == LineBreakMode::truncatingHead || mode == LineBreakMode::truncatingMiddle ||
           mode == LineBreakMode::truncatingTail;
}

// Where each line begins and ends (byte offsets), broken as fittingSize breaks them.
std::vector<std::pair<std::size_t, std::size_t>> wrappedLines(TextMetrics& metrics, std::string_view text,
                                                              const Font& font, double width) {
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    const auto b = scalarBoundaries(text);
    std::size_t i = 0;
    const auto next = [&](WrappedScalar& s) {
        if (i + 1 >= b.size()) return false;
        const auto scalar = text.substr(b[i], b[i + 1] - b[i]);
        s.from = b[i];
        s.to = b[i + 1];
        s.lineBreak = isLineBreak(scalar);
        s.space = isSpace(scalar);
        s.advance = s.lineBreak ? 0 : metrics.lineWidth(scalar, font);
        ++i;
        return true;
    };
    const auto last = wrapLines(width, next, [&](std::size_t from, std::size_t to, double) {
        lines.emplace_back(from, to);
        return true;
    });
    lines.emplace_back(last.from, text.size());
    return lines;
}

}  // namespace

std::vector<ShownLine> shownLines(TextMetrics& metrics, std::string_view text, const Font& font, const TextBox& box) {
    std::vector<ShownLine> shown;
    if (text.empty()) return shown;
    // A frame made from a text's own measured width (and scaled with its font, as a scale effect
    // draws it) may come out a rounding hair narrower than the measure: the text still fits.
    const double width = std::max(box.width, 0.0) * (1 + 1e-9);
    std::size_t limit = box.maximumLines > 0 && box.wraps ? static_cast<std::size_t>(box.maximumLines) : 0;
    const double lineHeight = metrics.defaultLineHeight(font);
    if (box.height > 0 && lineHeight > 0) {
        // A line that nearly fits still shows (rounding of frames).
        const auto fitting = static_cast<std::size_t>(std::max(1.0, std::floor(box.height / lineHeight + 0.01)));
        limit = limit == 0 ? fitting : std::min(limit, fitting);
    }
    std::vector<std::string> lines;
    bool cut = false;
    if (!box.wraps) {
        lines.push_back(oneLine(text));
        cut = metrics.lineWidth(lines.back(), font) > width;
    } else {
        auto ranges = wrappedLines(metrics, text, font, width);
        if (limit > 0 && ranges.size() > limit) {
            ranges.resize(limit);
            cut = true;
            // Truncated, the last line that shows holds the rest of the text, cut short with "…";
            // clipped, it keeps its own words.
            if (truncates(box.lineBreakMode)) ranges.back().second = text.size();
        }
        for (const auto& [from, to] : ranges) lines.push_back(std::string(text.substr(from, to - from)));
        if (cut) lines.back() = oneLine(lines.back());
    }
    if (cut && truncates(box.lineBreakMode))
        lines.back() = truncated(metrics, trimmedRight(lines.back()), font, width, box.lineBreakMode);
    for (auto& line : lines) {
        std::string trimmed = trimmedRight(line);
        const double lineWidth = metrics.lineWidth(trimmed, font);
        shown.push_back(ShownLine{std::move(trimmed), lineWidth});
    }
    return shown;
}

}  // namespace tarnwick::platform::ui
