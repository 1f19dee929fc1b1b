#include "platform/desktop/PixelSpace.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

namespace {

double distanceTo(const Rect& r, Point p) {
    return std::hypot(std::max({r.minX() - p.x, 0.0, p.x - r.maxX()}), std::max({r.minY() - p.y, 0.0, p.y - r.maxY()}));
}

template <typename Area>
size_t holdingOrNearest(const std::vector<PixelMonitor>& monitors, Point p, Area area) {
    size_t best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < monitors.size(); ++i) {
        const Rect& r = area(monitors[i]);
        if (r.contains(p)) return i;
        if (const double d = distanceTo(r, p); d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
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

Rect PixelSpace::toPoints(const Rect& pixels) const {
    return toPoints(pixels, monitorAtPixel(pixels.center()));
}

Point PixelSpace::primaryCorner() const {
    return monitors_.empty() ? Point{} : monitors_.front().points.origin;
}

Point PixelSpace::toGlobal(Point pixel) const {
    const Point p = toPoints(pixel);
    const Rect primary = monitors_.empty() ? Rect{} : monitors_.front().points;
    return {p.x - primary.minX(), primary.maxY() - p.y};
}

Rect PixelSpace::toGlobal(const Rect& pixels) const {
    const Rect r = toPoints(pixels);
    const Rect primary = monitors_.empty() ? Rect{} : monitors_.front().points;
    return {r.minX() - primary.minX(), primary.maxY() - r.maxY(), r.width(), r.height()};
}

Point PixelSpace::windowPixels(const Rect& points, size_t monitor) const {
    const Point at = toPixels({points.minX(), points.minY()}, monitor);
    if (monitor >= monitors_.size()) return at;
    const PixelMonitor& own = monitors_[monitor];
    for (size_t other = 0; other < monitors_.size(); ++other) {
        if (other == monitor || !liesBetween(points.center(), own, monitors_[other])) continue;
        const Point centre{at.x + points.width() * own.ratio / 2, at.y + points.height() * own.ratio / 2};
        // The last whole pixel of the monitor, as the toolkit counts a window's screen by it.
        const Rect& edge = own.pixels;
        return {at.x + std::clamp(centre.x, edge.minX(), edge.maxX() - 1) - centre.x,
                at.y + std::clamp(centre.y, edge.minY(), edge.maxY() - 1) - centre.y};
    }
    return at;
}

}  // namespace platform
