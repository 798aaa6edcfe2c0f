#pragma once

namespace tarnwick {

// A closed range of doubles, both ends included.
struct ClosedRange {
    double lowerBound;
    double upperBound;

    constexpr bool contains(double value) const { return value >= lowerBound && value <= upperBound; }
};

// Limits of the app-icon sizes (points) that the banner, label and icon views apply themselves.
struct ApplicationIconSize {
    ApplicationIconSize() = delete;
    static constexpr ClosedRange range{12, 40};
    static constexpr double defaultSize = 16;
    // The default for a non-finite size, else the size limited to the range.
    static double clamped(double size);
};

// Limits of the banner's scale factor.
struct BannerSize {
    BannerSize() = delete;
    static constexpr ClosedRange range{0.75, 2.0};
    static constexpr double defaultScale = 1.0;
    // The default for a non-finite scale, else the scale limited to the range.
    static double clamped(double scale);
};

// The tint of the glass as sRGB components, each meant to lie in 0...1.
struct GlassTint {
    double red = 0;
    double green = 0;
    double blue = 0;

    static const GlassTint defaultColor;

    // Every component finite and within 0...1.
    bool isValid() const;

    friend bool operator==(const GlassTint&, const GlassTint&) = default;
};

inline constexpr GlassTint GlassTint::defaultColor{0.35, 0.55, 1.0};

}  // namespace tarnwick
