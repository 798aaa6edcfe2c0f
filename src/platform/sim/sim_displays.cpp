#include "platform/sim/sim_displays.h"

#include <algorithm>
#include <cmath>

#include "platform/sim/simulated_session.h"
#include "support/text.h"

namespace tarnwick::sim {

std::vector<platform::ScreenDescription> SimDisplays::screens() {
    auto guard = session_.lock();
    std::vector<platform::ScreenDescription> result;
    auto order = session_.orderedScreens();
    if (order.empty()) return result;
    // AppKit's space has its origin at the bottom left of the primary (first) screen.
    const double primaryHeight = session_.primaryHeight();
    for (auto id : order) {
        const SimDisplay* display = session_.display(id);
        if (!display) continue;
        platform::ScreenDescription screen;
        if (display->hasScreenNumber) screen.deviceDescription["NSScreenNumber"] = Value(display->id);
        screen.deviceDescription["NSDeviceSize"] = Value(Array{display->bounds.width(), display->bounds.height()});
        screen.localizedName = display->name;
        const Rect& b = display->bounds;
        screen.frame = Rect(b.minX(), primaryHeight - b.maxY(), b.width(), b.height());
        // What the reserved strips leave; never a negative size.
        const SimInsets& r = display->reserved;
        screen.visibleFrame = Rect(b.minX() + r.left, primaryHeight - b.maxY() + r.bottom,
                                   std::max(b.width() - r.left - r.right, 0.0), std::max(b.height() - r.top - r.bottom, 0.0));
        screen.backingScaleFactor = display->scale;
        result.push_back(std::move(screen));
    }
    return result;
}

std::optional<std::string> SimDisplays::uuidString(std::uint32_t displayID) {
    auto guard = session_.lock();
    const SimDisplay* display = session_.display(displayID);
    if (!display || !display->uuid) return std::nullopt;
    return text::uppercased(*display->uuid);
}

Rect SimDisplays::bounds(std::uint32_t displayID) {
    auto guard = session_.lock();
    const SimDisplay* display = session_.display(displayID);
    return display ? display->bounds : Rect();
}

std::uint64_t SimDisplays::pixelsWide(std::uint32_t displayID) {
    auto guard = session_.lock();
    const SimDisplay* display = session_.display(displayID);
    return display ? static_cast<std::uint64_t>(std::llround(display->bounds.width() * display->scale)) : 0;
}

std::uint64_t SimDisplays::pixelsHigh(std::uint32_t displayID) {
    auto guard = session_.lock();
    const SimDisplay* display = session_.display(displayID);
    return display ? static_cast<std::uint64_t>(std::llround(display->bounds.height() * display->scale)) : 0;
}

}  // namespace tarnwick::sim
