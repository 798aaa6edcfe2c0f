#include "platform/sim/console/picture_shapes.h"

#include <algorithm>
#include <cmath>

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/picture_palette.h"
#include "platform/sim/console/screen_svg.h"

namespace tarnwick::sim {

std::string svgNumber(double value) { return std::isfinite(value) ? formatNumber(value) : "0"; }

std::string svgRounded(double radius) { return "rx=\"" + svgNumber(radius) + "\" "; }

std::string svgRect(const Rect& frame, const std::string& cls, const std::string& style) {
    return "<rect class=\"" + cls + "\" x=\"" + svgNumber(frame.minX()) + "\" y=\"" + svgNumber(frame.minY()) +
           "\" width=\"" + svgNumber(frame.width()) + "\" height=\"" + svgNumber(frame.height()) + "\" " + style + "/>\n";
}

std::string svgText(double x, double y, double size, const std::string& cls, std::string_view content,
                    const std::string& fill) {
    return "<text class=\"" + cls + "\" x=\"" + svgNumber(x) + "\" y=\"" + svgNumber(y) + "\" font-size=\"" +
           svgNumber(size) + "\" fill=\"" + fill + "\">" + xmlEscaped(content) + "</text>\n";
}

std::string svgOpacityGroup(std::string drawing, double opacity, bool disabled) {
    if (drawing.empty() || (opacity >= 1 && !disabled)) return drawing;
    return std::string("<g") + (disabled ? " class=\"disabled\"" : "") + " opacity=\"" +
           svgNumber(std::clamp(opacity, 0.0, 1.0)) + "\">\n" + drawing + "</g>\n";
}

std::string svgPlacedText(const Rect& frame, const std::string& cls, std::string_view content) {
    const double size = std::clamp(frame.height() * 0.75, 6.0, 96.0);
    return svgText(frame.minX(), frame.maxY() - frame.height() / 4, size, cls, content);
}

std::string focusRingPicture(const Rect& field, double fieldCornerRadius) {
    constexpr double kRingWidth = 3;
    const double half = kRingWidth / 2;
    const Rect ring(field.minX() - half, field.minY() - half, field.width() + kRingWidth, field.height() + kRingWidth);
    return svgRect(ring, "focus-ring",
                   svgRounded(fieldCornerRadius + half) + "fill=\"none\" stroke=\"" + palette::kAccent +
                       "\" stroke-opacity=\"0.6\" stroke-width=\"" + svgNumber(kRingWidth) + "\"");
}

}  // namespace tarnwick::sim
