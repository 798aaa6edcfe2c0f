#pragma once

#include <string>

namespace tarnwick::platform::ui {

// A colour as views and layers are given it: either one of the system's named colours, which
// follow the appearance, or sRGB components with alpha.
struct Color {
    std::string name;  // a system colour's name; empty for plain sRGB components
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static Color sRGB(double red, double green, double blue, double alpha = 1) {
        return Color{{}, red, green, blue, alpha};
    }
    static Color named(std::string name) { return Color{std::move(name), 0, 0, 0, 1}; }

    static Color label() { return named("labelColor"); }
    static Color secondaryLabel() { return named("secondaryLabelColor"); }
    static Color white() { return Color{"white", 1, 1, 1, 1}; }
    static Color black() { return Color{"black", 0, 0, 0, 1}; }
    static Color clear() { return Color{"clear", 0, 0, 0, 0}; }
    static Color systemBlue() { return named("systemBlue"); }
    static Color systemRed() { return named("systemRed"); }

    friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace tarnwick::platform::ui
