#include "app/settings_window_layout.h"

#include <algorithm>
#include <cmath>

namespace tarnwick::SettingsWindowLayout {

std::optional<bool> sidebarVisibility(double width, std::optional<double> previousWidth) {
    if (!std::isfinite(width) || width <= 0) return std::nullopt;
    const bool wide = width >= kCompactWidth;
    if (previousWidth && std::isfinite(*previousWidth) && *previousWidth > 0 &&
        (*previousWidth >= kCompactWidth) == wide)
        return std::nullopt;
    return wide;
}

std::optional<Rect> frame(const Rect& current, const Rect& visible) {
    if (!current.isUsable() || !visible.isUsable()) return std::nullopt;
    if (visible.contains(current)) return current;
    const double width = std::min(current.width(), visible.width());
    const double height = std::min(current.height(), visible.height());
    return Rect(visible.midX() - width / 2, visible.midY() - height / 2, width, height);
}

}  // namespace tarnwick::SettingsWindowLayout
