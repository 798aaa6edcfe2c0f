#include "overlays/mission_control_application_layout.h"

#include <algorithm>
#include <cmath>

#include "overlays/banner_application_layout.h"
#include "overlays/mission_control_caption.h"

namespace tarnwick {

namespace {

// Valid for the strips: finite, with finite far edges and a positive size.
bool valid(const Rect& r) { return r.isUsable() && std::isfinite(r.maxX()) && std::isfinite(r.maxY()); }

}  // namespace

std::optional<Rect> MissionControlApplicationLayout::frame(const MissionControlApplicationSlot& slot, int count,
                                                           double iconSize, MissionControlApplicationPosition position) {
    const Rect& caption = slot.caption;
    const Rect& thumbnail = slot.thumbnail;
    const Rect& display = slot.display;
    if (count <= 0 || !valid(display) || !valid(caption) || !valid(thumbnail)) return std::nullopt;
    if (!display.contains(caption) || thumbnail.width() > display.width()) return std::nullopt;
    if (!std::isfinite(slot.horizontalLimit) || !(slot.horizontalLimit > 0)) return std::nullopt;
    if (MissionControlCaption::mode(caption, slot.bar, thumbnail) != MissionControlCaption::Mode::expanded)
        return std::nullopt;

    const double size = ApplicationIconSize::clamped(iconSize);
    const double height = size + 10;
    const double available = thumbnail.width() - 30;
    if (!(available > 0)) return std::nullopt;
    const double preview = std::min(thumbnail.height() - caption.height(), available * display.height() / display.width());
    const double room = std::min(caption.minY() - display.minY() - 16, preview - 12);
    if (!(height <= room)) return std::nullopt;

    const double half = std::min(display.maxX() - caption.midX(), caption.midX() - display.minX());
    const double limit = std::floor(std::min(2 * half - 8, std::min(slot.horizontalLimit - 16, available)) - 12);
    const auto row = BannerApplicationLayout::row(count, limit, BannerApplicationLayout::IconSize{size});
    if (!row) return std::nullopt;
    const double width = std::ceil(row->width) + 12;
    const double share = position == MissionControlApplicationPosition::top      ? 1.0
                         : position == MissionControlApplicationPosition::center ? 0.5
                                                                                 : 0.0;
    const double slack = (room - height) * share;
    // Centred over the caption: at the bottom its lower edge lies 12 points above the caption.
    const Rect strip(caption.midX() - width * 0.5, caption.minY() - 12 - height - slack, width, height);
    const Rect inside(display.minX() + 4, display.minY() + 4, display.width() - 8, display.height() - 8);
    if (!valid(strip) || !inside.contains(strip)) return std::nullopt;
    return strip;
}

std::optional<Rect> MissionControlApplicationLayout::appKitFrame(const Rect& rect, double primaryTop) {
    if (!valid(rect) || !std::isfinite(primaryTop)) return std::nullopt;
    const Rect result(rect.minX(), primaryTop - rect.maxY(), rect.width(), rect.height());
    if (!valid(result)) return std::nullopt;
    return result;
}

}  // namespace tarnwick
