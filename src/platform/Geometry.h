#pragma once

#include <algorithm>
#include <cmath>

namespace platform {

// Global coordinates: origin at the bottom-left of the primary screen, y grows upward.
// The Qt backend converts to X11's top-left, y-down space at its boundary and nowhere else.

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Vector {
    double dx = 0;
    double dy = 0;
    double length() const { return std::hypot(dx, dy); }
    friend bool operator==(const Vector&, const Vector&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}

    double width() const { return std::abs(size.width); }
    double height() const { return std::abs(size.height); }
    double minX() const { return std::min(origin.x, origin.x + size.width); }
    double maxX() const { return std::max(origin.x, origin.x + size.width); }
    double midX() const { return origin.x + size.width / 2; }
    double minY() const { return std::min(origin.y, origin.y + size.height); }
    double maxY() const { return std::max(origin.y, origin.y + size.height); }
    double midY() const { return origin.y + size.height / 2; }
    Point center() const { return {midX(), midY()}; }
    bool isEmpty() const { return size.width == 0 || size.height == 0; }

    bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    // How far `p` lies outside the rectangle: 0 on it.
    double distanceTo(Point p) const {
        return std::hypot(std::max({minX() - p.x, 0.0, p.x - maxX()}), std::max({minY() - p.y, 0.0, p.y - maxY()}));
    }
    bool intersects(const Rect& o) const {
        return !isEmpty() && !o.isEmpty() && minX() < o.maxX() && o.minX() < maxX() && minY() < o.maxY() &&
               o.minY() < maxY();
    }
    // The overlap of two rectangles; an empty rectangle at the origin when they do not meet.
    Rect intersection(const Rect& o) const {
        double x0 = std::max(minX(), o.minX()), x1 = std::min(maxX(), o.maxX());
        double y0 = std::max(minY(), o.minY()), y1 = std::min(maxY(), o.maxY());
        if (x1 <= x0 || y1 <= y0) return {};
        return {x0, y0, x1 - x0, y1 - y0};
    }
    Rect unionWith(const Rect& o) const {
        if (isEmpty()) return o;
        if (o.isEmpty()) return *this;
        double x0 = std::min(minX(), o.minX()), x1 = std::max(maxX(), o.maxX());
        double y0 = std::min(minY(), o.minY()), y1 = std::max(maxY(), o.maxY());
        return {x0, y0, x1 - x0, y1 - y0};
    }
    Rect insetBy(double dx, double dy) const { return {minX() + dx, minY() + dy, width() - 2 * dx, height() - 2 * dy}; }
    Rect offsetBy(double dx, double dy) const { return {origin.x + dx, origin.y + dy, size.width, size.height}; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace platform
