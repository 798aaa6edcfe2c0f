#include "platform/sim/console/picture_text.h"

#include <cmath>
#include <utility>

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

// The font's weight as the picture's font-weight, nothing for the regular weight.
std::string weightAttribute(double weight) {
    if (weight >= ui::font_weight::kHeavy) return " font-weight=\"800\"";
    if (weight >= ui::font_weight::kBold) return " font-weight=\"700\"";
    if (weight >= ui::font_weight::kSemibold) return " font-weight=\"600\"";
    if (weight >= ui::font_weight::kMedium) return " font-weight=\"500\"";
    if (weight <= ui::font_weight::kLight) return " font-weight=\"300\"";
    return {};
}

}  // namespace

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

    std::string anchor;
    double x = frame.minX();
    if (text.alignment == ui::TextAlignment::center) {
        anchor = " text-anchor=\"middle\"";
        x = frame.midX();
    } else if (text.alignment == ui::TextAlignment::right) {
        anchor = " text-anchor=\"end\"";
        x = frame.maxX();
    }
    const std::string lineClass = text.placeholder ? "placeholder" : cls;
    const std::string colour = text.placeholder ? "#8e8e93" : fill;
    const std::string common = "\" font-size=\"" + svgNumber(text.font.size) + "\"" + weightAttribute(text.font.weight) +
                               anchor + " fill=\"" + colour + "\"";

    std::string out;
    bool overflows = !covers(space.toGlobal(text.visible), frame);
    overflows = overflows || top < frame.minY() - kSlack || top + height > frame.maxY() + kSlack;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const auto& line = lines[index];
        overflows = overflows || line.width > frame.width() + kSlack;
        if (line.text.empty()) continue;
        out += "<text class=\"" + lineClass + "\" x=\"" + svgNumber(x) + "\" y=\"" +
               svgNumber(baseline + lineHeight * static_cast<double>(index)) + common + " textLength=\"" +
               svgNumber(line.width) + "\" lengthAdjust=\"spacingAndGlyphs\">" + xmlEscaped(line.text) + "</text>\n";
    }
    if (!overflows || out.empty()) return out;
    return clips.begin(space.toGlobal(text.visible)) + out + PictureClips::end();
}

}  // namespace tarnwick::sim
