#pragma once

#include <algorithm>
#include <cmath>

namespace tarnwick {

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle with the platform's conventions: origin plus size, with min/max helpers that
// work for either y direction (AppKit's bottom-left or the window server's top-left space).
struct Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(double x, double y, double width, double height) : origin{x, y}, size{width, height} {}

    double minX() const { return std::min(origin.x, origin.x + size.width); }
    double maxX() const { return std::max(origin.x, origin.x + size.width); }
    double minY() const { return std::min(origin.y, origin.y + size.height); }
    double maxY() const { return std::max(origin.y, origin.y + size.height); }
    double midX() const { return (minX() + maxX()) / 2; }
    double midY() const { return (minY() + maxY()) / 2; }
    double width() const { return std::abs(size.width); }
    double height() const { return std::abs(size.height); }

    bool isFinite() const {
        return std::isfinite(origin.x) && std::isfinite(origin.y) && std::isfinite(size.width) &&
               std::isfinite(size.height);
    }
    // Usable geometry: finite, with a positive width and height.
    bool isUsable() const { return isFinite() && size.width > 0 && size.height > 0; }

    bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    // Containment of a whole rectangle, edges included (CGRectContainsRect).
    bool contains(const Rect& r) const {
        return r.minX() >= minX() && r.maxX() <= maxX() && r.minY() >= minY() && r.maxY() <= maxY();
    }
    bool intersects(const Rect& r) const {
        return r.minX() < maxX() && r.maxX() > minX() && r.minY() < maxY() && r.maxY() > minY();
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace tarnwick
