#pragma once

#include <optional>

#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick {

// A rectangle as the overlays' dictionaries write it: "x", "y", "width", "height" (minX, minY,
// width and height).
inline Value rectangleDictionary(const Rect& r) {
    return Value(Dictionary{{"x", r.minX()}, {"y", r.minY()}, {"width", r.width()}, {"height", r.height()}});
}

// Such a rectangle read back; nothing when the value is absent or one of the four is missing or
// does not convert to a number. Its size is not checked: each reader has its own rule.
inline std::optional<Rect> rectangleFromDictionary(const Value* rectangle) {
    if (!rectangle) return std::nullopt;
    const Value *x = rectangle->find("x"), *y = rectangle->find("y"), *w = rectangle->find("width"),
                *h = rectangle->find("height");
    if (!x || !y || !w || !h) return std::nullopt;
    const auto fx = x->toDouble(), fy = y->toDouble(), fw = w->toDouble(), fh = h->toDouble();
    if (!fx || !fy || !fw || !fh) return std::nullopt;
    return Rect(*fx, *fy, *fw, *fh);
}

}  // namespace tarnwick
