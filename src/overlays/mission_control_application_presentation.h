#pragma once

#include <string>
#include <vector>

#include "applications/space_application.h"
#include "applications/space_navigation_target.h"
#include "support/geometry.h"

namespace tarnwick {

// One strip of app icons to show over an expanded desktop preview in Mission Control.
struct MissionControlApplicationPresentation {
    SpaceNavigationTarget target;
    Rect frame;  // the strip's panel, in Mission Control's node-frame space (y down)
    std::vector<SpaceApplication> applications;
    double iconSize = 0;
    std::string accessibilityLabel;

    friend bool operator==(const MissionControlApplicationPresentation&,
                           const MissionControlApplicationPresentation&) = default;
};

}  // namespace tarnwick
