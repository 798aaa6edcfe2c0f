#include "overlays/banner_application_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/preference_limits.h"

namespace tarnwick {

namespace {

int decimalDigits(int value) {
    int digits = 1;
    for (; value >= 10; value /= 10) ++digits;
    return digits;
}

}  // namespace

double BannerApplicationLayout::overflowWidth(int hiddenCount, double iconSize) {
    const double unit = iconSize / baseIconSize;
    return unit * std::max(7.0 * decimalDigits(hiddenCount) + 12, 24.0);
}

std::optional<BannerApplicationLayout::Row> BannerApplicationLayout::row(int count, double availableWidth,
                                                                         IconSize iconSize) {
    const double size = iconSize.points;
    if (count <= 0 || !std::isfinite(availableWidth) || !(availableWidth > 0) || !std::isfinite(size) || !(size > 0))
        return std::nullopt;
    const double spacing = size / baseIconSize * 6;
    for (int shown = std::min(count, maximumIcons); shown >= 0; --shown) {
        const int hidden = count - shown;
        double width = size * shown + spacing * std::max(shown - 1, 0);
        if (hidden >= 1) {
            width += overflowWidth(hidden, size);
            if (shown > 0) width += spacing;
        }
        if (width <= availableWidth) return Row{shown, hidden, width, size, spacing};
    }
    return std::nullopt;
}

std::optional<BannerApplicationLayout::Row> BannerApplicationLayout::row(int count, double availableWidth, Scale scale) {
    return row(count, availableWidth, IconSize{baseIconSize * BannerSize::clamped(scale.factor)});
}

double BannerApplicationLayout::naturalWidth(int count, double scale) {
    auto fitted = row(count, std::numeric_limits<double>::max(), Scale{scale});
    return fitted ? fitted->width : 0;
}

}  // namespace tarnwick
