#include "platform/ui/text_metrics.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/platform.h"
#include "platform/ui/line_wrapping.h"

namespace tarnwick::platform::ui {

namespace {

constexpr double kCapHeight = 0.72;
constexpr double kXHeight = 0.53;
constexpr double kDescenderDepth = 0.21;
constexpr double kSideBearing = 0.04;

// Decodes one scalar at `i` and moves past it; an invalid byte counts as one character.
char32_t nextScalar(std::string_view text, size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0) return 0xFFFD;
    char32_t scalar = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0xFFFD;
        scalar = (scalar << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    return scalar;
}

bool inRange(char32_t c, char32_t low, char32_t high) { return c >= low && c <= high; }

// How many ordinary advances a character takes.
double widthClass(char32_t c) {
    if (c < 0x300) return 1;
    if (inRange(c, 0x300, 0x36F) || inRange(c, 0x1AB0, 0x1AFF) || inRange(c, 0x1DC0, 0x1DFF) ||
        inRange(c, 0x20D0, 0x20FF) || inRange(c, 0xFE20, 0xFE2F) || inRange(c, 0xFE00, 0xFE0F) ||
        inRange(c, 0x200B, 0x200D) || inRange(c, 0xE0100, 0xE01EF))
        return 0;
    if (inRange(c, 0x1100, 0x115F) || inRange(c, 0x2E80, 0xA4CF) || inRange(c, 0xAC00, 0xD7A3) ||
        inRange(c, 0xF900, 0xFAFF) || inRange(c, 0xFE30, 0xFE4F) || inRange(c, 0xFF00, 0xFF60) ||
        inRange(c, 0xFFE0, 0xFFE6) || inRange(c, 0x2600, 0x27BF) || inRange(c, 0x1F300, 0x1FAFF) ||
        inRange(c, 0x20000, 0x3FFFD))
        return 2;
    return 1;
}

bool isLineBreak(char32_t c) { return c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029; }
bool isSpace(char32_t c) { return c == ' ' || c == '\t' || c == 0xA0; }

}  // namespace

double SystemFontMetrics::advance(const Font& font) {
    const double share = font.monospaced ? 0.6 : 0.55 + 0.05 * font.weight;
    return font.size * share;
}

double SystemFontMetrics::lineWidth(std::string_view text, const Font& font) {
    const double unit = advance(font);
    double width = 0;
    for (size_t i = 0; i < text.size();) {
        const char32_t c = nextScalar(text, i);
        width += unit * (isLineBreak(c) ? 1 : widthClass(c));
    }
    return width;
}

Size SystemFontMetrics::fittingSize(std::string_view text, const Font& font, double width, int maximumLines,
                                    bool wraps) {
    const double lineHeight = defaultLineHeight(font);
    if (!wraps) return Size{lineWidth(text, font), lineHeight};

    const double unit = advance(font);
    const size_t limit = maximumLines > 0 ? static_cast<size_t>(maximumLines) : 0;
    size_t lines = 1;
    double widest = 0;
    size_t i = 0;
    const auto next = [&](WrappedScalar& s) {
        if (i >= text.size()) return false;
        s.from = i;
        const char32_t c = nextScalar(text, i);
        s.to = i;
        s.lineBreak = isLineBreak(c);
        s.space = isSpace(c);
        s.advance = unit * widthClass(c);
        return true;
    };
    const auto endLine = [&](size_t, size_t, double finished) {
        widest = std::max(widest, finished);
        ++lines;
        return limit == 0 || lines <= limit;
    };
    const double line = wrapLines(width, next, endLine).width;
    widest = std::max(widest, line);
    if (limit > 0) lines = std::min(lines, limit);
    if (std::isfinite(width) && width >= 0) widest = std::min(widest, width);
    return Size{widest, static_cast<double>(lines) * lineHeight};
}

double SystemFontMetrics::defaultLineHeight(const Font& font) { return font.size * (kAscent + kDescent); }

double SystemFontMetrics::firstBaselineOffset(const Font& font) { return font.size * kAscent; }

Rect SystemFontMetrics::glyphImageBounds(std::string_view text, const Font& font) {
    const double unit = advance(font);
    double width = 0;
    bool visible = false, tall = false, descends = false;
    for (size_t i = 0; i < text.size();) {
        const char32_t c = nextScalar(text, i);
        const double cls = isLineBreak(c) ? 1 : widthClass(c);
        width += unit * cls;
        if (isSpace(c) || isLineBreak(c) || cls == 0) continue;
        visible = true;
        if (c >= 'a' && c <= 'z') {
            tall = tall || std::string_view("bdfhklt").find(static_cast<char>(c)) != std::string_view::npos;
            descends = descends || std::string_view("gjpqy").find(static_cast<char>(c)) != std::string_view::npos;
        } else {
            tall = true;
        }
    }
    if (!visible) return Rect();
    const double bearing = font.size * kSideBearing;
    const double bottom = descends ? -font.size * kDescenderDepth : 0;
    const double top = font.size * (tall ? kCapHeight : kXHeight);
    return Rect(bearing, bottom, std::max(width - 2 * bearing, 0.0), top - bottom);
}

TextMetrics& textMetrics() {
    auto* metrics = current().textMetrics;
    if (!metrics) throw std::logic_error("the platform has no text metrics");
    return *metrics;
}

}  // namespace tarnwick::platform::ui
