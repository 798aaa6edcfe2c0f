#pragma once

#include <optional>

namespace tarnwick {

// The one fitting rule for rows of app icons: at most 8 square icons with gaps of 0.375 icon
// sizes, and an overflow label ("+N") for the apps that do not fit. Pure; callable anywhere.
struct BannerApplicationLayout {
    BannerApplicationLayout() = delete;

    struct Row {
        int iconCount = 0;     // icons shown, 0...8
        int hiddenCount = 0;   // apps not shown as icons; the overflow label counts them
        double width = 0;      // icons, gaps and overflow label
        double iconSize = 0;   // edge of one icon, points
        double spacing = 0;    // between icons, and between the last icon and the label
        friend bool operator==(const Row&, const Row&) = default;
    };
    // The icon edge in points, or the banner scale that sets it (16 points times the clamped scale).
    struct IconSize {
        double points;
    };
    struct Scale {
        double factor;
    };

    static constexpr int maximumIcons = 8;
    static constexpr double baseIconSize = 16;

    // The widest row that fits: every app when at most 8 fit, else one icon fewer per attempt
    // with the rest counted by the label. Nothing without apps, for a width or icon size that is
    // not finite and positive, or when not even the label alone fits.
    static std::optional<Row> row(int count, double availableWidth, IconSize iconSize);
    static std::optional<Row> row(int count, double availableWidth, Scale scale);
    // The row's width without a width limit; 0 when there is no row.
    static double naturalWidth(int count, double scale);
    // The width of the overflow label for that many hidden apps at that icon size.
    static double overflowWidth(int hiddenCount, double iconSize);
};

}  // namespace tarnwick
