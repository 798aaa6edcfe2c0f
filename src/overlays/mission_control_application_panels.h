#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "applications/space_navigation_target.h"
#include "overlays/mission_control_application_panel.h"
#include "overlays/mission_control_application_presentation.h"
#include "support/geometry.h"

namespace tarnwick {

// Shows the app-icon strips in panels, one per desktop, over Mission Control's expanded previews:
// each strip's frame goes from Mission Control's node-frame space to screen coordinates, a
// desktop that stays presented keeps its panel, and panels no longer needed are ordered out and
// kept for reuse, at most 16 of them; the others are destroyed. Main loop only.
class MissionControlApplicationPanels {
public:
    // One display: its UUID in upper case (nothing when it has none) and its screen frame.
    struct Screen {
        std::optional<std::string> id;
        Rect frame;
    };
    using ScreenList = std::function<std::vector<Screen>()>;
    using PanelFactory = std::function<std::unique_ptr<MissionControlApplicationPanel>()>;

    static constexpr std::size_t idleCapacity = 16;

    // The current screens (the primary first) and new panels; the system's when not given.
    explicit MissionControlApplicationPanels(ScreenList screens = nullptr, PanelFactory makePanel = nullptr);
    MissionControlApplicationPanels(const MissionControlApplicationPanels&) = delete;
    MissionControlApplicationPanels& operator=(const MissionControlApplicationPanels&) = delete;

    // Shows exactly these strips: the first one of each desktop, when its display is known and
    // the strip lies wholly on it. An empty list orders every panel out.
    void render(const std::vector<MissionControlApplicationPresentation>& presentations);

    // The screens with their display UUIDs, in the system's order.
    static std::vector<Screen> systemScreens();

    // ---- reading the pool
    // The panel showing a desktop's strip (the display id in any case), or nothing.
    const MissionControlApplicationPanel* panel(const SpaceNavigationTarget& target) const;
    std::size_t panelCount() const { return panels_.size(); }
    std::size_t idleCount() const { return idlePanels_.size(); }

private:
    struct Identity {
        std::string monitorID;  // upper case
        std::string desktopID;
        std::uint64_t spaceID = 0;
        friend bool operator==(const Identity&, const Identity&) = default;
        // The space id first: it tells most desktops apart without reading a string.
        friend bool operator<(const Identity& a, const Identity& b) {
            return std::tie(a.spaceID, a.desktopID, a.monitorID) < std::tie(b.spaceID, b.desktopID, b.monitorID);
        }
    };
    static Identity identity(const SpaceNavigationTarget& target);

    ScreenList screens_;
    PanelFactory makePanel_;
    std::map<Identity, std::unique_ptr<MissionControlApplicationPanel>> panels_;
    std::vector<std::unique_ptr<MissionControlApplicationPanel>> idlePanels_;
};

}  // namespace tarnwick
