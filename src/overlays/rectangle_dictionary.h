#pragma once

#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick {

// A rectangle as the overlays' dictionaries write it: "x", "y", "width", "height" (minX, minY,
// width and height).
inline Value rectangleDictionary(const Rect& r) {
    return Value(Dictionary{{"x", r.minX()}, {"y", r.minY()}, {"width", r.width()}, {"height", r.height()}});
}

}  // namespace tarnwick
