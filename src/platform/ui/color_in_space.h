#pragma once

#include <optional>
#include <string>

#include "platform/ui/color.h"

namespace tarnwick::platform::ui {

// The colour spaces a chosen colour may come in. A pattern (an image the colour panel tiles)
// has no components, so it converts to no other space.
enum class ColorSpace { sRGB, displayP3, gray, pattern };

// A colour as the colour panel hands it out: components in a colour space, with alpha.
struct ColorInSpace {
    ColorSpace space = ColorSpace::sRGB;
    // Red, green and blue; a gray colour keeps its white in `red`.
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    std::string patternName;  // the image a pattern tiles

    static ColorInSpace sRGB(double red, double green, double blue, double alpha = 1) {
        return {ColorSpace::sRGB, red, green, blue, alpha, {}};
    }
    static ColorInSpace displayP3(double red, double green, double blue, double alpha = 1) {
        return {ColorSpace::displayP3, red, green, blue, alpha, {}};
    }
    static ColorInSpace gray(double white, double alpha = 1) { return {ColorSpace::gray, white, white, white, alpha, {}}; }
    static ColorInSpace pattern(std::string imageName) { return {ColorSpace::pattern, 0, 0, 0, 1, std::move(imageName)}; }

    // The same colour in sRGB, whose components lie within 0...1 (a colour outside its gamut is
    // clipped to the edge). Nothing for a colour that has no components to convert.
    std::optional<ColorInSpace> convertedToSRGB() const;
    // What a view draws: the sRGB colour, or nothing when it cannot be converted.
    std::optional<Color> displayed() const;

    friend bool operator==(const ColorInSpace&, const ColorInSpace&) = default;
};

}  // namespace tarnwick::platform::ui
