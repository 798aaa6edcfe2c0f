#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "applications/space_navigation_target.h"
#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick {

// One entry of the on-screen window list.
struct ApplicationWindowObservation {
    std::uint32_t id = 0;
    std::int32_t ownerPID = 0;
    std::int64_t layer = 0;
    double alpha = 0;
    Rect bounds;  // global screen coordinates
    bool onScreen = false;

    friend bool operator==(const ApplicationWindowObservation&, const ApplicationWindowObservation&) = default;

    // An entry of the window list; nothing when it lacks number, owner, layer, alpha or bounds.
    static std::optional<ApplicationWindowObservation> from(const Value& entry);
};

// The rules that decide whether a raised window is confirmed in front. Pure.
struct ApplicationFocusVerification {
    ApplicationFocusVerification() = delete;

    // How the front window was confirmed.
    enum class Method { accessibility, windowServer };
    static std::string rawValue(Method method);

    // The id of the frontmost ordinary, visible window of the space that shows on the display;
    // nothing when none does or the display bounds are unusable.
    static std::optional<std::uint32_t> frontWindow(const std::vector<ApplicationWindowObservation>& observations,
                                                    const std::set<std::uint32_t>& spaceWindowIDs,
                                                    const Rect& monitorBounds);

    // Confirmed when the space is current, the target's app is frontmost, and the app's focused
    // window (or, when it reports none, the front window of the space) is the target.
    static std::optional<Method> method(const SpaceApplicationFocusTarget& target, bool spaceIsCurrent,
                                        std::optional<std::int32_t> frontPID, std::optional<std::uint32_t> axWindowID,
                                        std::optional<std::uint32_t> frontWindowID);
};

}  // namespace tarnwick
