#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

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

    // The null rectangle: what the intersection of two disjoint rectangles is. It lies nowhere,
    // so it is contained in nothing and unites with anything as the other rectangle.
    static Rect null() {
        constexpr double infinity = std::numeric_limits<double>::infinity();
        return Rect(infinity, infinity, 0, 0);
    }
    bool isNull() const {
        constexpr double infinity = std::numeric_limits<double>::infinity();
        return origin.x == infinity || origin.y == infinity;
    }
    // Null, or without area.
    bool isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }
    // The same rectangle with a non-negative width and height.
    Rect standardized() const {
        if (isNull()) return null();
        return Rect(minX(), minY(), width(), height());
    }
    // The part both rectangles cover; touching edges give a rectangle without area, and
    // rectangles apart (or a null one) the null rectangle.
    Rect intersection(const Rect& r) const {
        if (isNull() || r.isNull()) return null();
        const double left = std::max(minX(), r.minX()), right = std::min(maxX(), r.maxX());
        const double top = std::max(minY(), r.minY()), bottom = std::min(maxY(), r.maxY());
        if (!(left <= right) || !(top <= bottom)) return null();
        return Rect(left, top, right - left, bottom - top);
    }
    // The smallest rectangle covering both; a null rectangle adds nothing.
    Rect united(const Rect& r) const {
        if (isNull()) return r.standardized();
        if (r.isNull()) return standardized();
        const double left = std::min(minX(), r.minX()), right = std::max(maxX(), r.maxX());
        const double top = std::min(minY(), r.minY()), bottom = std::max(maxY(), r.maxY());
        return Rect(left, top, right - left, bottom - top);
    }
    // The smallest rectangle on whole numbers that covers this one (edges rounded outwards).
    Rect integral() const {
        if (isNull()) return null();
        const double left = std::floor(minX()), top = std::floor(minY());
        return Rect(left, top, std::ceil(maxX()) - left, std::ceil(maxY()) - top);
    }
    double area() const { return isNull() ? 0 : width() * height(); }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// The same bit for bit, unlike ==: -0 is not 0, and a NaN is the same NaN. What a memo compares
// its inputs with, so that what it hands out again is exactly what they would make.
inline bool identicalBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }
inline bool identicalBits(const Point& a, const Point& b) { return identicalBits(a.x, b.x) && identicalBits(a.y, b.y); }
inline bool identicalBits(const Size& a, const Size& b) {
    return identicalBits(a.width, b.width) && identicalBits(a.height, b.height);
}
inline bool identicalBits(const Rect& a, const Rect& b) {
    return identicalBits(a.origin, b.origin) && identicalBits(a.size, b.size);
}

}  // namespace tarnwick
