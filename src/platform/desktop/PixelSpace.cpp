#include "platform/desktop/PixelSpace.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

namespace {

template <typename Area>
size_t holdingOrNearest(const std::vector<PixelMonitor>& monitors, Point p, Area area) {
    size_t best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < monitors.size(); ++i) {
        const Rect& r = area(monitors[i]);
        if (r.contains(p)) return i;
        if (const double d = r.distanceTo(p); d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

// The pixel a window counts as standing on, as the toolkit takes it: the middle one, or the one
// before the middle of an even size.
Point middlePixel(const Rect& r) {
    return {std::floor(r.minX() + (r.width() - 1) / 2), std::floor(r.minY() + (r.height() - 1) / 2)};
}

// Whether `point` lies in the room the toolkit leaves between two monitors that touch on the X
// screen, side by side or one above the other, but not among the points.
bool liesBetween(Point point, const PixelMonitor& a, const PixelMonitor& b) {
    const Rect &na = a.pixels, &nb = b.pixels, &la = a.points, &lb = b.points;
    if ((na.maxX() == nb.minX() || nb.maxX() == na.minX()) && point.y >= std::max(la.minY(), lb.minY()) &&
        point.y < std::min(la.maxY(), lb.maxY()))
        return point.x >= std::min(la.maxX(), lb.maxX()) && point.x < std::max(la.minX(), lb.minX());
    if ((na.maxY() == nb.minY() || nb.maxY() == na.minY()) && point.x >= std::max(la.minX(), lb.minX()) &&
        point.x < std::min(la.maxX(), lb.maxX()))
        return point.y >= std::min(la.maxY(), lb.maxY()) && point.y < std::max(la.minY(), lb.minY());
    return false;
}

}  // namespace

PixelSpace PixelSpace::fromPoints(const std::vector<std::pair<Rect, double>>& monitors) {
    // Where a scaled size ends, within half a point of the true edge.
    const auto end = [](double start, double points, double ratio) { return start + points * ratio; };
    std::vector<PixelMonitor> out;
    for (const auto& [points, ratio] : monitors) {
        double right = end(points.minX(), points.width(), ratio), bottom = end(points.minY(), points.height(), ratio);
        const double slack = ratio / 2;
        bool snappedRight = false, snappedBottom = false;
        for (const auto& [other, otherRatio] : monitors) {
            const double otherRight = end(other.minX(), other.width(), otherRatio);
            const double otherBottom = end(other.minY(), other.height(), otherRatio);
            const bool besideVertically = other.minY() < bottom && points.minY() < otherBottom;
            const bool besideHorizontally = other.minX() < right && points.minX() < otherRight;
            if (!snappedRight && besideVertically && other.minX() > points.minX() &&
                std::abs(other.minX() - right) <= slack) {
                right = other.minX();
                snappedRight = true;
            }
            if (!snappedBottom && besideHorizontally && other.minY() > points.minY() &&
                std::abs(other.minY() - bottom) <= slack) {
                bottom = other.minY();
                snappedBottom = true;
            }
        }
        if (!snappedRight) right = std::round(right);
        if (!snappedBottom) bottom = std::round(bottom);
        out.push_back({{points.minX(), points.minY(), right - points.minX(), bottom - points.minY()}, points, ratio});
    }
    return PixelSpace(std::move(out));
}

size_t PixelSpace::monitorAtPixel(Point pixel) const {
    return holdingOrNearest(monitors_, pixel, [](const PixelMonitor& m) -> const Rect& { return m.pixels; });
}

size_t PixelSpace::monitorAtPoint(Point point) const {
    return holdingOrNearest(monitors_, point, [](const PixelMonitor& m) -> const Rect& { return m.points; });
}

Point PixelSpace::toPoints(Point pixel, size_t monitor) const {
    if (monitor >= monitors_.size()) return pixel;
    const PixelMonitor& m = monitors_[monitor];
    return {m.points.minX() + (pixel.x - m.pixels.minX()) / m.ratio,
            m.points.minY() + (pixel.y - m.pixels.minY()) / m.ratio};
}

Point PixelSpace::toPixels(Point point, size_t monitor) const {
    if (monitor >= monitors_.size()) return point;
    const PixelMonitor& m = monitors_[monitor];
    return {m.pixels.minX() + (point.x - m.points.minX()) * m.ratio,
            m.pixels.minY() + (point.y - m.points.minY()) * m.ratio};
}

Rect PixelSpace::toPoints(const Rect& pixels, size_t monitor) const {
    if (monitor >= monitors_.size()) return pixels;
    const double ratio = monitors_[monitor].ratio;
    return {toPoints({pixels.minX(), pixels.minY()}, monitor), {pixels.width() / ratio, pixels.height() / ratio}};
}

Point PixelSpace::toPoints(Point pixel) const {
    return toPoints(pixel, monitorAtPixel(pixel));
}

Point PixelSpace::toPixels(Point point) const {
    return toPixels(point, monitorAtPoint(point));
}

Point PixelSpace::toPixelsOnMonitor(Point point) const {
    const size_t monitor = monitorAtPoint(point);
    const Point pixel = toPixels(point, monitor);
    if (monitor >= monitors_.size() || monitors_[monitor].points.contains(point)) return pixel;
    const Rect& edge = monitors_[monitor].pixels;
    return {std::clamp(pixel.x, edge.minX(), edge.maxX() - 1), std::clamp(pixel.y, edge.minY(), edge.maxY() - 1)};
}

Rect PixelSpace::toPoints(const Rect& pixels) const {
    return toPoints(pixels, monitorAtPixel(pixels.center()));
}

Point PixelSpace::primaryCorner() const {
    return monitors_.empty() ? Point{} : monitors_.front().points.origin;
}

Point PixelSpace::toGlobal(Point pixel) const {
    return toGlobal(Rect(pixel, {})).origin;
}

Rect PixelSpace::toGlobal(const Rect& pixels) const {
    return globalFromToolkit(toPoints(pixels), monitors_.empty() ? Rect{} : monitors_.front().points);
}

Rect globalFromToolkit(const Rect& points, const Rect& primary) {
    return {points.minX() - primary.minX(), primary.maxY() - points.maxY(), points.width(), points.height()};
}

Rect toolkitFromGlobal(const Rect& global, const Rect& primary) {
    return {global.minX() + primary.minX(), primary.maxY() - global.maxY(), global.width(), global.height()};
}

size_t PixelSpace::windowMonitor(const Rect& points, size_t current) const {
    const Point middle = middlePixel(points);
    for (size_t i = 0; i < monitors_.size(); ++i)
        if (monitors_[i].points.contains(middle)) return i;
    return current;
}

Point PixelSpace::windowPixels(const Rect& points, size_t monitor) const {
    const Point at = toPixels({points.minX(), points.minY()}, monitor);
    if (monitor >= monitors_.size()) return at;
    const PixelMonitor& own = monitors_[monitor];
    // A monitor's size in points is rounded, so its last column of points may reach half a
    // pixel into the neighbour: the window's middle stays on its own monitor there too.
    const Point middlePoint = middlePixel(points);
    if (!own.points.contains(middlePoint) &&
        std::none_of(monitors_.begin(), monitors_.end(),
                     [&](const PixelMonitor& other) { return &other != &own && liesBetween(middlePoint, own, other); }))
        return at;
    const Point middle = middlePixel({at, {points.width() * own.ratio, points.height() * own.ratio}});
    const Rect& edge = own.pixels;
    return {at.x + std::clamp(middle.x, edge.minX(), edge.maxX() - 1) - middle.x,
            at.y + std::clamp(middle.y, edge.minY(), edge.maxY() - 1) - middle.y};
}

}  // namespace platform
