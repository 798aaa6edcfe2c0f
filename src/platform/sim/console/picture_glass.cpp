#include "platform/sim/console/picture_glass.h"

#include <algorithm>
#include <cmath>

#include "platform/sim/console/picture_palette.h"
#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/screen_views.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

// The glass itself over a dark desktop: regular glass frosts it more than clear glass does.
const ui::Color kRegular = ui::Color::sRGB(0x2c / 255.0, 0x35 / 255.0, 0x42 / 255.0);
const ui::Color kClear = ui::Color::sRGB(0x4b / 255.0, 0x57 / 255.0, 0x69 / 255.0);

}  // namespace

std::string glassPicture(const PlacedGlass& glass, const Rect& frame) {
    const bool clear = glass.style == ui::GlassStyle::clear;
    ui::Color fill = clear ? kClear : kRegular;
    std::string attributes = svgRounded(glass.cornerRadius) + "data-style=\"" + glassStyleText(glass) + "\" ";
    if (glass.tint) {
        // The tint is laid over the glass at its own opacity.
        const double alpha = std::isfinite(glass.tint->alpha) ? std::clamp(glass.tint->alpha, 0.0, 1.0) : 0;
        fill = ui::Color::sRGB(fill.red + (glass.tint->red - fill.red) * alpha,
                               fill.green + (glass.tint->green - fill.green) * alpha,
                               fill.blue + (glass.tint->blue - fill.blue) * alpha);
        if (const auto tint = glassTintText(glass)) attributes += "data-tint=\"" + *tint + "\" ";
    }
    return svgRect(frame, "glass", attributes + "fill=\"" + paintOf(fill).colour + "\"");
}

}  // namespace tarnwick::sim
