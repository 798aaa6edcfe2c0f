#include "overview/workstation_preview_layout.h"

#include <algorithm>
#include <cmath>

namespace tarnwick::WorkstationPreviewLayout {

namespace {

bool valid(const Rect& rect) { return rect.isUsable(); }

// A tenth of the smaller side on a screen too small for the usual 8 points.
double margin(const Rect& visible) { return std::min(std::min(visible.width(), visible.height()) / 10, 8.0); }

double width(const Rect& visible, double margin) { return std::min(visible.width() - 2 * margin, kMaximumWidth); }

// Sizes so large that the arithmetic overflows give no frame rather than an infinite one.
std::optional<Rect> finite(const Rect& rect) {
    if (!rect.isFinite()) return std::nullopt;
    return rect;
}

}  // namespace

std::optional<Rect> frame(const Rect& anchor, const Rect& visible) {
    if (!valid(anchor) || !valid(visible)) return std::nullopt;
    const double m = margin(visible);
    const double top = std::min(anchor.minY() - kAnchorGap, visible.maxY() - m);
    const double w = width(visible, m);
    if (w <= 0) return std::nullopt;
    const double h = std::min(top - visible.minY() - m, kMaximumHeight);
    if (h <= 0) return std::nullopt;
    double x = std::max(anchor.midX() - w / 2, visible.minX() + m);
    x = std::min(x, visible.maxX() - m - w);  // the right margin wins
    return finite(Rect(x, top - h, w, h));
}

std::optional<Rect> frame(Point pointer, const Rect& visible) {
    if (!std::isfinite(pointer.x) || !std::isfinite(pointer.y) || !valid(visible)) return std::nullopt;
    const double m = margin(visible);
    const double w = width(visible, m);
    if (w <= 0) return std::nullopt;
    const double h = std::min(visible.height() - 2 * m, kMaximumHeight);
    if (h <= 0) return std::nullopt;
    const bool fitsRight = pointer.x + kPointerOffset + w <= visible.maxX() - m;
    double x = fitsRight ? pointer.x + kPointerOffset : pointer.x - kPointerOffset - w;
    x = std::max(x, visible.minX() + m);
    x = std::min(x, visible.maxX() - m - w);
    double y = std::max(pointer.y - kPointerOffset - h, visible.minY() + m);
    y = std::min(y, visible.maxY() - m - h);
    return finite(Rect(x, y, w, h));
}

}  // namespace tarnwick::WorkstationPreviewLayout
