#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "model/desktop_monitor.h"
#include "overlays/mission_control_application_slot.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::testkit {

// The previews of the simulated Mission Control measured as the label controller measures them:
// one slot per ordinary desktop of the catalog, with its caption, button, bar and display, and
// the distance to the nearest neighbouring caption on its display (the button's width alone).
inline std::vector<MissionControlApplicationSlot> simulatedSlots(sim::SimulatedSession& session,
                                                                 const std::vector<DesktopMonitor>& monitors) {
    std::vector<MissionControlApplicationSlot> slots;
    for (const auto& bar : sim::MissionControlLayout::bars(session, session.loop().uptime())) {
        for (const auto& button : bar.buttons) {
            for (const auto& monitor : monitors)
                for (const auto& desktop : monitor.desktops) {
                    if (desktop.spaceID != button.spaceID) continue;
                    double limit = std::numeric_limits<double>::infinity();
                    for (const auto& other : bar.buttons)
                        if (&other != &button) limit = std::min(limit, std::abs(other.caption.midX() - button.caption.midX()));
                    if (!std::isfinite(limit)) limit = button.frame.width();
                    slots.push_back({{desktop.id, monitor.id, desktop.spaceID}, button.caption, button.frame, bar.bar,
                                     bar.display, limit});
                }
        }
    }
    return slots;
}

}  // namespace tarnwick::testkit
