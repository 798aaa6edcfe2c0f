#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "applications/space_navigation_target.h"
#include "support/geometry.h"

namespace tarnwick {

// The measured geometry of one desktop preview in Mission Control, as the label controller
// publishes it for the app-icon strips. Rectangles are in Mission Control's node-frame space.
struct MissionControlApplicationSlot {
    SpaceNavigationTarget target;
    Rect caption;    // the native caption as located on screen
    Rect thumbnail;  // the desktop's button in the Spaces Bar
    std::optional<Rect> bar;
    Rect display;
    // From the caption's centre to the nearest neighbouring caption's centre (the button's width
    // without neighbours): the strip is never wider.
    double horizontalLimit = 0;

    friend bool operator==(const MissionControlApplicationSlot&, const MissionControlApplicationSlot&) = default;
};

// A desktop's geometry in the current Accessibility read, telling which measured slots still hold.
struct MissionControlApplicationGeometry {
    SpaceNavigationTarget target;
    Rect thumbnail;
    std::optional<Rect> bar;
    Rect display;

    friend bool operator==(const MissionControlApplicationGeometry&, const MissionControlApplicationGeometry&) = default;
};

// Measured slots for a short time, by desktop UUID. Times are system uptime.
class MissionControlApplicationSlotCache {
public:
    // A non-finite expiry removes the desktop's slot instead.
    void store(const MissionControlApplicationSlot& slot, double expiresAt);
    void remove(const std::string& desktopID);
    void reset();
    // Keeps a slot only when its desktop appears exactly once in the current geometry, with the
    // same target, thumbnail, bar and display. Returns the desktops still cached.
    std::set<std::string> transition(const std::vector<MissionControlApplicationGeometry>& geometries);
    // The slots still current, by desktop id: unexpired ones, and expired ones while a capture is
    // current that covers their desktop (every desktop when `capturingDesktopIDs` is nothing).
    // The others are dropped; a non-finite time empties the cache.
    std::vector<MissionControlApplicationSlot> snapshot(double now, bool captureIsCurrent,
                                                        const std::optional<std::set<std::string>>& capturingDesktopIDs);

    std::size_t size() const { return records_.size(); }

private:
    struct Record {
        MissionControlApplicationSlot slot;
        double expiresAt = 0;
    };
    std::map<std::string, Record> records_;
};

}  // namespace tarnwick
