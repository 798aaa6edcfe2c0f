#include "platform/ui/text_metrics.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/platform.h"
#include "platform/ui/line_wrapping.h"

namespace tarnwick::platform::ui {

namespace {

// A size that measures: nothing for a size that is not a positive number.
// Digits are the only glyphs tabular figures change; the monospaced face has nothing else.
bool tabularFigures(const Font& font) { return font.monospacedDigits && !font.monospaced; }

double usableSize(const Font& font) { return std::isfinite(font.size) && font.size > 0 ? font.size : 0; }

}  // namespace

SystemFontMetrics::SystemFontMetrics(const FontFaces& faces, std::size_t cacheBytes)
    : faces_(faces), cache_(cacheBytes) {}

TextRun SystemFontMetrics::shape(std::string_view text, const Font& font) {
    const std::size_t index = faces_.faceIndex(font);
    const FontFace& face = faces_.face(index);
    const bool tabular = tabularFigures(font);
    auto shaped = cache_.get(index * 2 + (tabular ? 1 : 0), text, [&] { return shapeText(text, face, tabular); });
    return TextRun(std::move(shaped), usableSize(font));
}

double SystemFontMetrics::lineWidth(std::string_view text, const Font& font) {
    const TextRun run = shape(text, font);
    return run.width(0, run.size());
}

double SystemFontMetrics::candidateWidth(std::string_view text, const Font& font) {
    const std::size_t index = faces_.faceIndex(font);
    const bool tabular = tabularFigures(font);
    // A text the cache already holds is read from there; one it lacks is shaped and let go.
    auto shaped = cache_.find(index * 2 + (tabular ? 1 : 0), text);
    if (!shaped) shaped = shapeText(text, faces_.face(index), tabular);
    const TextRun run(std::move(shaped), usableSize(font));
    return run.width(0, run.size());
}

Size SystemFontMetrics::fittingSize(std::string_view text, const Font& font, double width, int maximumLines,
                                    bool wraps) {
    const double lineHeight = defaultLineHeight(font);
    if (!wraps) return Size{lineWidth(text, font), lineHeight};
    const TextRun run = shape(text, font);
    const auto limit = maximumLines > 0 ? static_cast<std::size_t>(maximumLines) : 0;
    const auto wrapped = wrapLines(run, settingWidth(width), limit, [&](std::size_t from, std::size_t end) {
        return lineWidth(text.substr(run.offset(from), run.offset(end) - run.offset(from)), font);
    });
    double widest = 0;
    for (const auto& line : wrapped.lines) widest = std::max(widest, line.width);
    // A cluster wider than the width by itself still gets only the width.
    if (std::isfinite(width) && width >= 0) widest = std::min(widest, width);
    return Size{widest, static_cast<double>(wrapped.lines.size()) * lineHeight};
}

double SystemFontMetrics::defaultLineHeight(const Font& font) {
    const FontFace& f = faces_.face(font);
    return usableSize(font) * (f.ascender() + f.descender() + f.lineGap()) / f.unitsPerEm();
}

double SystemFontMetrics::firstBaselineOffset(const Font& font) {
    const FontFace& f = faces_.face(font);
    return usableSize(font) * f.ascender() / f.unitsPerEm();
}

Rect SystemFontMetrics::glyphImageBounds(std::string_view text, const Font& font) {
    // Shaped apart with its ink: the cached runs leave the glyph outlines unread.
    const FontFace& face = faces_.face(font);
    const TextRun run(shapeText(text, face, tabularFigures(font), true), usableSize(font));
    return run.ink(0, run.size());
}

SystemFontMetrics& systemFontMetrics() {
    // Never destroyed: a worker thread may still measure while the program exits.
    static auto* metrics = new SystemFontMetrics();
    return *metrics;
}

TextMetrics& textMetrics() {
    auto* metrics = current().textMetrics;
    if (!metrics) throw std::logic_error("the platform has no text metrics");
    return *metrics;
}

}  // namespace tarnwick::platform::ui
