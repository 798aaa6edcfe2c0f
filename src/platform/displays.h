#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick::platform {

// One screen as the application framework lists it.
struct ScreenDescription {
    // Device description; the display id sits under "NSScreenNumber" (absent on some screens).
    Dictionary deviceDescription;
    std::string localizedName;
    Rect frame;         // AppKit coordinates: origin at the bottom left of the primary screen, y up
    Rect visibleFrame;  // the frame without menu bar and Dock
    double backingScaleFactor = 1;
};

// Screens and the display services behind them.
class Displays {
public:
    virtual ~Displays() = default;
    // In the framework's order: the primary screen first.
    virtual std::vector<ScreenDescription> screens() = 0;
    // The display's UUID as an upper-case string; nothing when the display yields no UUID.
    virtual std::optional<std::string> uuidString(std::uint32_t displayID) = 0;
    // Global bounds, origin at the top left of the main display, y down; empty when unknown.
    virtual Rect bounds(std::uint32_t displayID) = 0;
    virtual std::uint64_t pixelsWide(std::uint32_t displayID) = 0;
    virtual std::uint64_t pixelsHigh(std::uint32_t displayID) = 0;
};

}  // namespace tarnwick::platform
