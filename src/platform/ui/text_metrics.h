#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/ui/font.h"
#include "platform/ui/font_faces.h"
#include "platform/ui/shaped_text.h"
#include "platform/ui/shaped_text_cache.h"
#include "support/geometry.h"

namespace tarnwick::platform::ui {

// How the text system lays out and measures text in the system font. The program measures with
// real faces (below); tests may install a measurer of their own that answers given sizes and
// records what it was asked.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    // The width of the text laid out as one line; line breaks in it count as spaces.
    virtual double lineWidth(std::string_view text, const Font& font) = 0;
    // The width as lineWidth gives it, of a text measured only once (one of the candidates a
    // line is cut to): it is not kept among the shaped texts, so trying candidates does not
    // push out what a layout pass measures again and again.
    virtual double candidateWidth(std::string_view text, const Font& font) { return lineWidth(text, font); }
    // The size the text needs within `width`: wrapped as wrapLines wraps (line_wrapping.h) when
    // `wraps`, else one line; at most `maximumLines` lines (0: no limit). Empty text needs one
    // line.
    virtual Size fittingSize(std::string_view text, const Font& font, double width, int maximumLines, bool wraps) = 0;
    // The height of one line as a layout manager reports it.
    virtual double defaultLineHeight(const Font& font) = 0;
    // From the top of the first line to its baseline.
    virtual double firstBaselineOffset(const Font& font) = 0;
    // The ink of the text drawn as one line, relative to the line's origin on its baseline
    // (y up); an empty rectangle for text without visible glyphs.
    virtual Rect glyphImageBounds(std::string_view text, const Font& font) = 0;
    // The text shaped in the font: its grapheme clusters with their advances and where lines
    // may break. Setting a text's lines reads it from here.
    virtual TextRun shape(std::string_view text, const Font& font) = 0;
    // The face that draws the font, so a picture names the face that was measured.
    virtual const FontFace& face(const Font& font) = 0;
};

// The system font set in real faces (FontFaces: Inter, and DejaVu Sans Mono for the monospaced
// system font), shaped by HarfBuzz over ICU's grapheme clusters and line breaks, with one cache of
// shaped texts so that a layout pass shapes each text once. Line height, baseline and ink come
// from the face. Safe from any thread.
class SystemFontMetrics final : public TextMetrics {
public:
    explicit SystemFontMetrics(const FontFaces& faces = FontFaces::shared(),
                               std::size_t cacheBytes = ShapedTextCache::kDefaultCapacityBytes);

    double lineWidth(std::string_view text, const Font& font) override;
    double candidateWidth(std::string_view text, const Font& font) override;
    Size fittingSize(std::string_view text, const Font& font, double width, int maximumLines, bool wraps) override;
    double defaultLineHeight(const Font& font) override;
    double firstBaselineOffset(const Font& font) override;
    Rect glyphImageBounds(std::string_view text, const Font& font) override;
    TextRun shape(std::string_view text, const Font& font) override;
    const FontFace& face(const Font& font) override { return faces_.face(font); }

    const ShapedTextCache& cache() const { return cache_; }

private:
    const FontFaces& faces_;
    ShapedTextCache cache_;
};

// The process's one text system over the shared faces: the session installs it, and the
// simulation's own drawings (alerts, Mission Control's captions) measure with it whatever
// measurer a test installs.
SystemFontMetrics& systemFontMetrics();

// The installed platform's text metrics.
TextMetrics& textMetrics();

}  // namespace tarnwick::platform::ui
