#pragma once

#include <optional>

#include "model/preference_enums.h"
#include "model/preference_limits.h"
#include "overlays/mission_control_application_slot.h"
#include "support/geometry.h"

namespace tarnwick {

// Whether and where a strip of app icons fits into a measured desktop preview.
struct MissionControlApplicationLayout {
    // The strip's frame over the caption of an expanded preview (Mission Control's node-frame
    // space), or nothing when no row of `count` icons fits inside the preview and the display.
    static std::optional<Rect> frame(const MissionControlApplicationSlot& slot, int count,
                                     double iconSize = ApplicationIconSize::defaultSize,
                                     MissionControlApplicationPosition position = MissionControlApplicationPosition::bottom);
    // A node-frame rectangle in AppKit's space (origin at the bottom left of the primary screen,
    // whose top is `primaryTop`), or nothing for unusable geometry.
    static std::optional<Rect> appKitFrame(const Rect& rect, double primaryTop);
};

}  // namespace tarnwick
