#pragma once

#include <string_view>

#include "platform/ui/font.h"
#include "support/geometry.h"

namespace tarnwick::platform::ui {

// How the text system lays out and measures text in the system font. The program uses the
// deterministic model below; tests install a measurer of their own that answers given sizes
// and records what it was asked.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    // The width of the text laid out as one line; line breaks in it count as spaces.
    virtual double lineWidth(std::string_view text, const Font& font) = 0;
    // The size the text needs within `width`: wrapped at word boundaries (a word wider than the
    // width at characters) when `wraps`, else one line; at most `maximumLines` lines (0: no
    // limit). Empty text needs one line.
    virtual Size fittingSize(std::string_view text, const Font& font, double width, int maximumLines, bool wraps) = 0;
    // The height of one line as a layout manager reports it.
    virtual double defaultLineHeight(const Font& font) = 0;
    // From the top of the first line to its baseline.
    virtual double firstBaselineOffset(const Font& font) = 0;
    // The ink of the text drawn as one line, relative to the line's origin on its baseline
    // (y up); an empty rectangle for text without visible glyphs.
    virtual Rect glyphImageBounds(std::string_view text, const Font& font) = 0;
};

// A model of the system font: every character has the advance of its class (zero for
// combining marks and joiners, double for wide East Asian characters and emoji, one em share
// for the rest) scaled by size and weight; monospaced characters are all alike. Characters are
// Unicode scalars, never bytes, and every measurement is one pass over the text.
class SystemFontMetrics final : public TextMetrics {
public:
    double lineWidth(std::string_view text, const Font& font) override;
    Size fittingSize(std::string_view text, const Font& font, double width, int maximumLines, bool wraps) override;
    double defaultLineHeight(const Font& font) override;
    double firstBaselineOffset(const Font& font) override;
    Rect glyphImageBounds(std::string_view text, const Font& font) override;

    // The advance of an ordinary character.
    static double advance(const Font& font);
    static constexpr double kAscent = 0.952;   // of the size
    static constexpr double kDescent = 0.241;  // of the size
};

// The installed platform's text metrics.
TextMetrics& textMetrics();

}  // namespace tarnwick::platform::ui
