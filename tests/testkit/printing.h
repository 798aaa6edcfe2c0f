#pragma once

#include <ostream>

#include "support/geometry.h"

namespace tarnwick {

// Readable geometry in test failures.
inline void PrintTo(const Rect& r, std::ostream* os) {
    *os << "Rect(" << r.origin.x << ", " << r.origin.y << ", " << r.size.width << ", " << r.size.height << ")";
}
inline void PrintTo(const Point& p, std::ostream* os) { *os << "Point(" << p.x << ", " << p.y << ")"; }
inline void PrintTo(const Size& s, std::ostream* os) { *os << "Size(" << s.width << ", " << s.height << ")"; }

}  // namespace tarnwick
