#pragma once

#include <cmath>

namespace tarnwick {

// Until when, and for which showing, an app row may still be added to a banner.
struct BannerApplicationLease {
    int token = 0;        // the showing's token
    double deadline = 0;  // system uptime after which no row may be added

    // The same showing, a finite time, strictly before the deadline.
    bool permits(int candidate, double at) const { return candidate == token && std::isfinite(at) && at < deadline; }
};

}  // namespace tarnwick
