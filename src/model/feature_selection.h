#pragma once

namespace tarnwick {

// Which overlay features run now.
struct TarnwickFeatures {
    bool labels = false;
    bool banners = false;
    bool missionControlApplications = false;

    static const TarnwickFeatures none;

    friend bool operator==(const TarnwickFeatures&, const TarnwickFeatures&) = default;
};

inline constexpr TarnwickFeatures TarnwickFeatures::none{false, false, false};

// The state of the user's login session, filled from the session dictionary and from the sleep
// and lock notifications. A state nobody has filled in counts as suspended.
struct TarnwickSessionState {
    bool active = false;    // the user's login session is the active one
    bool sleeping = false;
    bool locked = false;    // the screen is locked

    bool suspended() const { return !(active && !sleeping && !locked); }
};

}  // namespace tarnwick
