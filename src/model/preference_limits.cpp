#include "model/preference_limits.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace tarnwick {

namespace {
double clampedOrDefault(double value, ClosedRange range, double fallback) {
    if (!std::isfinite(value)) return fallback;
    return std::clamp(value, range.lowerBound, range.upperBound);
}
}  // namespace

double ApplicationIconSize::clamped(double size) { return clampedOrDefault(size, range, defaultSize); }

double BannerSize::clamped(double scale) { return clampedOrDefault(scale, range, defaultScale); }

bool GlassTint::isValid() const {
    const ClosedRange unit{0, 1};
    for (double component : {red, green, blue})
        if (!std::isfinite(component) || !unit.contains(component)) return false;
    return true;
}

}  // namespace tarnwick
