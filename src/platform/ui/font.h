#pragma once

namespace tarnwick::platform::ui {

// The system font's weights, with the platform's raw values (regular is 0).
namespace font_weight {
inline constexpr double kUltraLight = -0.8;
inline constexpr double kThin = -0.6;
inline constexpr double kLight = -0.4;
inline constexpr double kRegular = 0.0;
inline constexpr double kMedium = 0.23;
inline constexpr double kSemibold = 0.3;
inline constexpr double kBold = 0.4;
inline constexpr double kHeavy = 0.56;
inline constexpr double kBlack = 0.62;
}  // namespace font_weight

// The system font (proportional or monospaced) of one size and weight.
struct Font {
    double size = 13;  // points
    double weight = font_weight::kRegular;
    bool monospaced = false;
    bool monospacedDigits = false;  // digits all as wide (the face's tabular figures)

    static Font system(double size, double weight = font_weight::kRegular) { return Font{size, weight, false, false}; }
    static Font monospacedSystem(double size, double weight = font_weight::kRegular) { return Font{size, weight, true, false}; }

    friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace tarnwick::platform::ui
