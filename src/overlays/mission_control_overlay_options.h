#pragma once

#include <optional>
#include <string>

namespace tarnwick {

// What the Mission Control overlays are wanted for: desktop-name labels, and measured desktop
// previews for the app-icon strips.
struct MissionControlOverlayOptions {
    bool labels = true;
    bool applications = false;

    // The text of a desktop's label: its custom name, while labels are on and the name is not
    // empty.
    std::optional<std::string> labelName(const std::optional<std::string>& customName) const;
    // Whether the desktop's native caption must be located: for its label (labels alone: a
    // desktop with a name) or for its preview's slot (app icons on: every desktop).
    bool needsCaption(const std::optional<std::string>& customName) const;

    friend bool operator==(const MissionControlOverlayOptions&, const MissionControlOverlayOptions&) = default;
};

}  // namespace tarnwick
