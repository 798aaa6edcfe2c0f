#pragma once

#include <cstdint>
#include <optional>

#include "support/value.h"

namespace tarnwick {

// Tells from the public on-screen window list whether Mission Control is open: its process
// shows windows at a layer of its own while it is.
struct MissionControlVisibility {
    static constexpr const char* kOwnerName = "WindowManager";
    static constexpr std::int64_t kLayer = 19;

    // The on-screen window list, front to back; nothing when the window server returns none.
    static std::optional<Value> currentSnapshot();
    // Whether any entry of the list is a Mission Control window; false without a list.
    static bool isVisible(const std::optional<Value>& windowList);
    // The Mission Control windows of the list, in list order.
    static Array matchingWindows(const std::optional<Value>& windowList);
};

}  // namespace tarnwick
