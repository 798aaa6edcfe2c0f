#include "platform/sim/console/picture_palette.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "platform/sim/console/picture_shapes.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

struct NamedColour {
    std::string_view name;
    const char* colour;
    double opacity;
};

// The dark values of the system colours the views use. The label colours are the solid greys
// they show on the windows' dark glass, so a text is one plain fill.
constexpr NamedColour kNamed[] = {
    {"labelColor", "#ffffff", 1},
    {"controlTextColor", "#ffffff", 1},
    {"textColor", "#ffffff", 1},
    {"secondaryLabelColor", "#98989d", 1},
    {"tertiaryLabelColor", "#5b5b60", 1},
    {"quaternaryLabelColor", "#3a3a3c", 1},
    {"controlAccentColor", palette::kAccent, 1},
    {"systemBlue", "#0a84ff", 1},
    {"systemGreen", "#30d158", 1},
    {"systemRed", "#ff453a", 1},
    {"systemOrange", "#ff9f0a", 1},
    {"systemYellow", "#ffd60a", 1},
    {"systemPink", "#ff375f", 1},
    {"systemPurple", "#bf5af2", 1},
    {"systemIndigo", "#5e5ce6", 1},
    {"systemTeal", "#40c8e0", 1},
    {"systemGray", "#8e8e93", 1},
    {"alternateSelectedControlTextColor", "#ffffff", 1},
    {"selectedContentBackgroundColor", "#0058d0", 1},
    {"unemphasizedSelectedContentBackgroundColor", palette::kInactiveSelection, 1},
    {"windowBackgroundColor", "#323232", 1},
    {"controlBackgroundColor", "#1e1e1e", 1},
    {"separatorColor", "#ffffff", 0.1},
};

std::string hexOf(double red, double green, double blue) {
    const auto byte = [](double component) {
        const double clamped = std::isfinite(component) ? std::clamp(component, 0.0, 1.0) : 0.0;
        return static_cast<unsigned>(std::lround(clamped * 255));
    };
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", byte(red), byte(green), byte(blue));
    return text;
}

std::string opacityAttribute(const char* name, double opacity) {
    if (opacity >= 1) return {};
    return std::string(" ") + name + "=\"" + svgNumber(std::max(opacity, 0.0)) + "\"";
}

}  // namespace

std::string Paint::fill() const { return "fill=\"" + colour + "\"" + opacityAttribute("fill-opacity", opacity); }

Paint paintOf(const ui::Color& colour) {
    const double alpha = std::isfinite(colour.alpha) ? std::clamp(colour.alpha, 0.0, 1.0) : 1.0;
    if (colour.name.empty() || colour.name == "white" || colour.name == "black" || colour.name == "clear")
        return Paint{hexOf(colour.red, colour.green, colour.blue), alpha};
    for (const auto& named : kNamed)
        if (named.name == colour.name) return Paint{named.colour, named.opacity};
    return Paint{palette::kText, 1};
}

}  // namespace tarnwick::sim
