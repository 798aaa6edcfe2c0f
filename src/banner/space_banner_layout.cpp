#include "banner/space_banner_layout.h"

#include <algorithm>
#include <cmath>

#include "model/preference_limits.h"
#include "overlays/banner_application_layout.h"

namespace tarnwick {

namespace {

constexpr double kVerticalAllowance = 16;
constexpr double kMaximumMargin = 24;
constexpr double kHeightWithApplications = 66;
constexpr double kHeight = 44;
constexpr double kMaximumWidth = 360;
constexpr double kTextAllowance = 40;
constexpr double kMinimumWidth = 120;
constexpr double kMaximumOffset = 32;

}  // namespace

std::optional<Rect> SpaceBannerLayout::frame(double textWidth, const Rect& visibleFrame, double scale,
                                             BannerPosition position, int applicationCount) {
    const double vw = visibleFrame.size.width, vh = visibleFrame.size.height;
    const double vx = visibleFrame.origin.x, vy = visibleFrame.origin.y;
    if (!std::isfinite(textWidth) || textWidth < 0) return std::nullopt;
    if (!std::isfinite(vw) || !std::isfinite(vh) || !std::isfinite(vx) || !std::isfinite(vy) || !(vw > 0) || !(vh > 0))
        return std::nullopt;

    const double s = BannerSize::clamped(scale);
    const double availableHeight = std::max(vh - kVerticalAllowance, 1.0);
    const double margin = std::min(vw / 10, kMaximumMargin);
    const bool rowFits = applicationCount > 0 && kHeightWithApplications * s <= availableHeight;
    // The row rule clamps the scale itself.
    const double applicationWidth = rowFits ? BannerApplicationLayout::naturalWidth(applicationCount, scale) : 0;
    const double height = std::min(availableHeight, (rowFits ? kHeightWithApplications : kHeight) * s);
    const double maximumWidth = std::min(vw - 2 * margin, kMaximumWidth * s);
    const double width = std::min(
        std::max({std::ceil(textWidth) + kTextAllowance * s, kMinimumWidth * s, kTextAllowance * s + applicationWidth}),
        maximumWidth);
    const double inset = (vh - height) / 2;
    const double offset = inset >= 0 ? std::min(inset, kMaximumOffset) : 0;
    const double y = position == BannerPosition::bottom ? vy + offset : vy + vh - offset - height;
    const double x = vx + vw / 2 - width / 2;
    return Rect(x, y, width, height);
}

}  // namespace tarnwick
