#pragma once

#include <optional>

#include "model/preference_enums.h"
#include "support/geometry.h"

namespace tarnwick {

// Where a banner sits: centred at the bottom or top of a display's visible frame, sized to its
// text and, when there is room, a row of app icons.
struct SpaceBannerLayout {
    SpaceBannerLayout() = delete;

    // The banner's frame in screen coordinates; nothing for a text width that is not finite or
    // is negative, or a visible frame that is not finite or has no area.
    static std::optional<Rect> frame(double textWidth, const Rect& visibleFrame, double scale, BannerPosition position,
                                     int applicationCount);
};

}  // namespace tarnwick
