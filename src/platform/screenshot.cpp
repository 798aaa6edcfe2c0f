#include "platform/screenshot.h"

namespace tarnwick::platform {

std::optional<Screenshot> Screenshot::crop(const Rect& pixels) const {
    if (!pixels.isFinite()) return std::nullopt;
    const Rect bounds(0, 0, static_cast<double>(width_), static_cast<double>(height_));
    const Rect piece = pixels.integral().intersection(bounds);
    if (piece.isEmpty()) return std::nullopt;
    Screenshot result(static_cast<std::int64_t>(piece.width()), static_cast<std::int64_t>(piece.height()), content_);
    result.origin_ = Point{origin_.x + piece.minX(), origin_.y + piece.minY()};
    return result;
}

}  // namespace tarnwick::platform
