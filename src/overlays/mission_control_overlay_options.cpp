#include "overlays/mission_control_overlay_options.h"

namespace tarnwick {

std::optional<std::string> MissionControlOverlayOptions::labelName(const std::optional<std::string>& customName) const {
    if (!labels || !customName || customName->empty()) return std::nullopt;
    return customName;
}

bool MissionControlOverlayOptions::needsCaption(const std::optional<std::string>& customName) const {
    if (labels && !applications) return customName && !customName->empty();
    return applications;
}

}  // namespace tarnwick
