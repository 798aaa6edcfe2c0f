#pragma once

#include <cmath>

namespace tarnwick {

// A capture start time that stays fresh for two seconds (system uptime, both ends included).
struct LabelCaptureLease {
    static constexpr double timeout = 2.0;

    double startedAt = 0;

    bool isValid(double now) const {
        if (!std::isfinite(startedAt) || !std::isfinite(now) || startedAt > now) return false;
        return now - startedAt <= timeout;
    }
};

}  // namespace tarnwick
