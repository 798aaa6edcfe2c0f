#include "platform/sim/console/picture_glass.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/screen_views.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

struct Rgb {
    double red, green, blue;
};

// The glass itself over a dark desktop: regular glass frosts it more than clear glass does.
constexpr Rgb kRegular{0x2c / 255.0, 0x35 / 255.0, 0x42 / 255.0};
constexpr Rgb kClear{0x4b / 255.0, 0x57 / 255.0, 0x69 / 255.0};

std::string hex(const Rgb& colour) {
    const auto byte = [](double component) {
        return static_cast<unsigned>(std::lround(std::isfinite(component) ? std::clamp(component, 0.0, 1.0) * 255 : 0));
    };
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", byte(colour.red), byte(colour.green), byte(colour.blue));
    return text;
}

}  // namespace

std::string glassPicture(const PlacedGlass& glass, const Rect& frame) {
    const bool clear = glass.style == ui::GlassStyle::clear;
    Rgb fill = clear ? kClear : kRegular;
    std::string attributes = "rx=\"" + svgNumber(glass.cornerRadius) + "\" ";
    attributes += std::string("data-style=\"") + (!glass.style ? "frosted" : clear ? "clear" : "regular") + "\" ";
    if (glass.tint) {
        // The tint is laid over the glass at its own opacity.
        const double alpha = std::isfinite(glass.tint->alpha) ? std::clamp(glass.tint->alpha, 0.0, 1.0) : 0;
        fill = Rgb{fill.red + (glass.tint->red - fill.red) * alpha, fill.green + (glass.tint->green - fill.green) * alpha,
                   fill.blue + (glass.tint->blue - fill.blue) * alpha};
        if (const auto tint = glassTintText(glass)) attributes += "data-tint=\"" + *tint + "\" ";
    }
    return svgRect(frame, "glass", attributes + "fill=\"" + hex(fill) + "\"");
}

}  // namespace tarnwick::sim
