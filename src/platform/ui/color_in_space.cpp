#include "platform/ui/color_in_space.h"

#include <algorithm>
#include <cmath>

namespace tarnwick::platform::ui {

namespace {

// Display P3 and sRGB share their transfer curve (extended to negative values by symmetry);
// they differ in their primaries.
double linear(double encoded) {
    const double magnitude = std::abs(encoded);
    const double value = magnitude <= 0.04045 ? magnitude / 12.92 : std::pow((magnitude + 0.055) / 1.055, 2.4);
    return std::copysign(value, encoded);
}

double encoded(double linearValue) {
    const double magnitude = std::abs(linearValue);
    const double value = magnitude <= 0.0031308 ? magnitude * 12.92 : 1.055 * std::pow(magnitude, 1 / 2.4) - 0.055;
    return std::copysign(value, linearValue);
}

// sRGB holds components within 0...1: what lies outside its gamut is clipped to its edge.
double unit(double component) { return std::isnan(component) ? 0 : std::clamp(component, 0.0, 1.0); }

}  // namespace

std::optional<ColorInSpace> ColorInSpace::convertedToSRGB() const {
    switch (space) {
        case ColorSpace::sRGB:
            return sRGB(unit(red), unit(green), unit(blue), unit(alpha));
        case ColorSpace::gray:
            return sRGB(unit(red), unit(red), unit(red), unit(alpha));
        case ColorSpace::displayP3: {
            const double r = linear(red), g = linear(green), b = linear(blue);
            return sRGB(unit(encoded(1.2249401 * r - 0.2249404 * g)), unit(encoded(-0.0420569 * r + 1.0420571 * g)),
                        unit(encoded(-0.0196376 * r - 0.0786361 * g + 1.0982735 * b)), unit(alpha));
        }
        case ColorSpace::pattern:
            break;
    }
    return std::nullopt;
}

std::optional<Color> ColorInSpace::displayed() const {
    const auto converted = convertedToSRGB();
    if (!converted) return std::nullopt;
    return Color::sRGB(converted->red, converted->green, converted->blue, converted->alpha);
}

}  // namespace tarnwick::platform::ui
