#include "platform/sim/console/picture_text.h"

#include <cmath>
#include <utility>

#include "platform/sim/console/picture_palette.h"
#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/console/screen_svg.h"
#include "platform/sim/console/screen_views.h"
#include "platform/ui/text_lines.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

// Frames meet within rounding: a line less than this much past its frame still fits.
constexpr double kSlack = 0.01;

bool covers(const Rect& visible, const Rect& frame) {
    return visible.minX() <= frame.minX() + kSlack && visible.maxX() >= frame.maxX() - kSlack &&
           visible.minY() <= frame.minY() + kSlack && visible.maxY() >= frame.maxY() - kSlack;
}

// Where a line stands in its frame and how the renderer anchors it: a right-to-left line's
// natural alignment is the right edge, and its direction is marked so that the renderer orders
// it right to left (its start being then its right end).
struct LinePlacement {
    double x;
    std::string attributes;
};

LinePlacement placement(ui::TextAlignment alignment, bool rightToLeft, const Rect& frame) {
    if (alignment == ui::TextAlignment::natural) alignment = rightToLeft ? ui::TextAlignment::right : ui::TextAlignment::left;
    const std::string direction = rightToLeft ? " direction=\"rtl\"" : "";
    switch (alignment) {
        case ui::TextAlignment::center:
            return {frame.midX(), direction + " text-anchor=\"middle\""};
        case ui::TextAlignment::right:
            return {frame.maxX(), direction + (rightToLeft ? " text-anchor=\"start\"" : " text-anchor=\"end\"")};
        default:
            return {frame.minX(), direction + (rightToLeft ? " text-anchor=\"end\"" : "")};
    }
}

}  // namespace

std::string textFontAttributes(const ui::Font& font) {
    const auto& face = ui::textMetrics().face(font);
    std::string out = " font-size=\"" + svgNumber(font.size) + "\"";
    if (face.family() != kPictureFontFamily) out += " font-family=\"" + face.family() + "\"";
    if (face.cssWeight() != 400) out += " font-weight=\"" + std::to_string(face.cssWeight()) + "\"";
    if (font.monospacedDigits) out += " font-variant-numeric=\"tabular-nums\"";
    return out;
}

std::string lineElement(const ui::ShownLine& line, double baseline, const Rect& frame, ui::TextAlignment alignment,
                        const std::string& fontAttributes, const std::string& cls, const std::string& colour) {
    const auto place = placement(alignment, line.rightToLeft, frame);
    return "<text class=\"" + cls + "\" x=\"" + svgNumber(place.x) + "\" y=\"" + svgNumber(baseline) + "\"" +
           fontAttributes + place.attributes + " fill=\"" + colour + "\" textLength=\"" + svgNumber(line.width) +
           "\" lengthAdjust=\"spacingAndGlyphs\">" + xmlEscaped(line.text) + "</text>\n";
}

std::string PictureClips::begin(const Rect& frame, double cornerRadius) {
    const std::string id = "clip-" + std::to_string(++next_);
    std::string radius;
    if (cornerRadius > 0) radius = "rx=\"" + svgNumber(cornerRadius) + "\"";
    return "<clipPath id=\"" + id + "\">" + svgRect(frame, "clip", radius) +
           "</clipPath>\n<g clip-path=\"url(#" + id + ")\">\n";
}

PlacedText oneLineText(std::string text, const Rect& frame, const ui::Font& font, ui::TextAlignment alignment,
                       bool placeholder) {
    return PlacedText{.text = std::move(text),
                      .frame = frame,
                      .font = font,
                      .alignment = alignment,
                      .centredVertically = true,
                      .placeholder = placeholder,
                      .visible = frame};
}

std::string textPicture(const PlacedText& text, const GlobalSpace& space, PictureClips& clips, const std::string& cls,
                        const std::string& fill) {
    auto& metrics = ui::textMetrics();
    const Rect frame = space.toGlobal(text.frame);
    if (!frame.isFinite() || !(text.font.size > 0) || !std::isfinite(text.font.size)) return {};
    const auto lines = ui::shownLines(metrics, text.text, text.font,
                                      ui::TextBox{frame.width(), frame.height(), text.maximumLines, text.wraps,
                                                  text.lineBreakMode});
    if (lines.empty()) return {};
    const double lineHeight = metrics.defaultLineHeight(text.font);
    const double height = lineHeight * static_cast<double>(lines.size());
    const double top = text.centredVertically ? frame.midY() - height / 2 : frame.minY();
    const double baseline = top + metrics.firstBaselineOffset(text.font);

    const std::string lineClass = text.placeholder ? "placeholder" : cls;
    const std::string colour = text.placeholder ? palette::kDisabledText : fill;
    const std::string font = textFontAttributes(text.font);

    std::string out;
    bool overflows = !covers(space.toGlobal(text.visible), frame);
    overflows = overflows || top < frame.minY() - kSlack || top + height > frame.maxY() + kSlack;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const auto& line = lines[index];
        overflows = overflows || line.width > frame.width() + kSlack;
        if (line.text.empty()) continue;
        out += lineElement(line, baseline + lineHeight * static_cast<double>(index), frame, text.alignment, font,
                           lineClass, colour);
    }
    if (!overflows || out.empty()) return out;
    return clips.begin(space.toGlobal(text.visible)) + out + PictureClips::end();
}

}  // namespace tarnwick::sim
