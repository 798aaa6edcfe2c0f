#pragma once

#include <string>
#include <string_view>

#include "platform/ui/font.h"
#include "platform/ui/text_label.h"
#include "platform/ui/text_lines.h"
#include "support/geometry.h"

namespace tarnwick::sim {

struct GlobalSpace;
struct PlacedText;

// The family the picture draws its texts in, as the text system measures the system font.
inline constexpr std::string_view kPictureFontFamily = "Inter";

// Clipping regions of one picture, each under an id of its own (in drawing order, so the same
// screen gives the same ids).
class PictureClips {
public:
    // Opens a group clipped to the rectangle (global points) with its corners rounded; close it
    // with end().
    std::string begin(const Rect& frame, double cornerRadius = 0);
    static std::string end() { return "</g>\n"; }

private:
    int next_ = 0;
};

// A text as its view lays it out, with the platform's text metrics: one <text> per line, wrapped
// and cut short with "…" as the view's line limit and line break mode say, each line's measured
// width as its textLength. Lines start at the top of the text's frame (a field's or title's one
// line in its middle), at the leading edge, the middle or the trailing edge as the text is
// aligned. Where lines reach past what shows of the frame (a clipping text, a text scrolled partly
// out of sight), they are clipped to it. A placeholder is grey, of class "placeholder".
// A text set on one line in the middle of its box (screen coordinates), all of which shows: a
// title, a menu row, a button's title, a field's text or placeholder; cut short at the tail.
PlacedText oneLineText(std::string text, const Rect& frame, const platform::ui::Font& font,
                       platform::ui::TextAlignment alignment = platform::ui::TextAlignment::natural,
                       bool placeholder = false);

std::string textPicture(const PlacedText& text, const GlobalSpace& space, PictureClips& clips,
                        const std::string& cls = "text", const std::string& fill = "#ffffff");

// The face a text was measured in, named for the renderer as attributes (each after a space): its
// size, its family where it is not the picture's own (Inter), its weight, and tabular figures
// where the digits were measured so.
std::string textFontAttributes(const platform::ui::Font& font);
// One laid-out line (global points) with its baseline at `baseline`, standing in the frame's width
// as it is aligned: a right-to-left line's natural alignment is the right edge, and its direction
// is marked so that the renderer orders it right to left. Its measured width is its textLength.
std::string lineElement(const platform::ui::ShownLine& line, double baseline, const Rect& frame,
                        platform::ui::TextAlignment alignment, const std::string& fontAttributes,
                        const std::string& cls, const std::string& colour);

}  // namespace tarnwick::sim
