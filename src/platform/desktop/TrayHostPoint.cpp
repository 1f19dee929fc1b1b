#include "platform/desktop/TrayHostPoint.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace platform {

namespace {
// Farther than this from the pointer, a reading cannot be the icon the pointer is on: the
// largest tray icons are 64 pixels at scale 2.
constexpr double kNearPointer = 128;
// Hosts draw at scales up to 4, and none below 1.
constexpr double kLeastScale = 1, kGreatestScale = 4;
// A scale this close to a whole one is the whole one: what is left over is the pointer's
// place on the icon, not a fractional scale (the nearest fractional ones are a quarter off).
constexpr double kWholeScaleSlack = 0.1;
// The scales a toolkit that counts per monitor is set to, above 1 (where points are X pixels).
constexpr double kToolkitScales[] = {1.25, 1.5, 1.75, 2, 2.5, 3, 4};
// A host's menu opens beside its panel: a pointer read on it lies no farther from the panel
// than the menu reaches. Ours has one entry, about 30 points tall at scale 1; this covers it
// drawn by a host at scale 4, or a menu of five entries, and keeps a pointer on a panel
// without a strut (inside the area left for windows) from being taken to a far edge.
constexpr double kMenuReach = 160;
// A panel drawn at a fractional scale may end a fraction of a point short of the screen's edge.
constexpr double kEdgeSlack = 1;

enum class Side { left, right, bottom, top };

// The edge of `frame` a panel lies along: one of its long sides, the nearer one, and how far
// the panel stands off it (below 0 while it slides in or out past it).
std::pair<Side, double> edgeOf(const Rect& panel, const Rect& frame) {
    if (panel.width() >= panel.height()) {
        const double bottom = panel.minY() - frame.minY(), top = frame.maxY() - panel.maxY();
        return bottom <= top ? std::pair(Side::bottom, bottom) : std::pair(Side::top, top);
    }
    const double left = panel.minX() - frame.minX(), right = frame.maxX() - panel.maxX();
    return left <= right ? std::pair(Side::left, left) : std::pair(Side::right, right);
}

// `space`'s monitors as a toolkit drawn at `scale` counts them: each at its X pixel corner, its
// size in whole points.
PixelSpace toolkitSpace(const PixelSpace& space, double scale) {
    std::vector<PixelMonitor> monitors;
    for (const PixelMonitor& m : space.monitors())
        monitors.push_back(
            {m.pixels,
             {m.pixels.origin, {std::round(m.pixels.width() / scale), std::round(m.pixels.height() / scale)}},
             scale});
    return PixelSpace(std::move(monitors));
}

// The reading at the one scale about the origin that puts it nearest the pointer.
Point scaledAboutOrigin(Point reported, Point pointer) {
    const double length = reported.x * reported.x + reported.y * reported.y;
    if (length <= 0) return reported;
    const auto scaled = [&](double scale) { return Point{scale * reported.x, scale * reported.y}; };
    // Only when both axes agree on the scale does the scaled reading come near the pointer.
    const double fitted =
        std::clamp((reported.x * pointer.x + reported.y * pointer.y) / length, kLeastScale, kGreatestScale);
    const double whole = std::round(fitted);
    const Point atWhole = scaled(whole);
    const bool nearWhole = std::abs(fitted - whole) <= kWholeScaleSlack &&
                           std::hypot(atWhole.x - pointer.x, atWhole.y - pointer.y) < kNearPointer;
    return nearWhole ? atWhole : scaled(fitted);
}
}  // namespace

Point trayHostPointInPixels(Point reported, std::optional<Point> pointerPixels, const PixelSpace& space) {
    if (!pointerPixels) return reported;
    const Point pointer = *pointerPixels;
    std::vector<Point> candidates{reported, scaledAboutOrigin(reported, pointer)};
    for (const double scale : kToolkitScales) {
        // A toolkit tells points on its desktop: one farther out is not in its points.
        const PixelSpace toolkit = toolkitSpace(space, scale);
        Rect desktop;
        for (const PixelMonitor& m : toolkit.monitors()) desktop = desktop.unionWith(m.points);
        if (desktop.contains(reported)) candidates.push_back(toolkit.toPixelsOnMonitor(reported));
    }
    const auto fromPointer = [&](Point p) { return std::hypot(p.x - pointer.x, p.y - pointer.y); };
    const Point nearest = *std::min_element(candidates.begin(), candidates.end(),
                                            [&](Point a, Point b) { return fromPointer(a) < fromPointer(b); });
    return fromPointer(nearest) < kNearPointer ? nearest : reported;
}

Point trayIconPointFromMenuPointer(Point pointer, const std::vector<Screen>& screens) {
    const auto screen =
        std::find_if(screens.begin(), screens.end(), [&](const Screen& s) { return s.frame.contains(pointer); });
    if (screen == screens.end()) return pointer;
    const Rect& frame = screen->frame;
    const Rect& area = screen->visibleFrame;
    if (!area.contains(pointer)) return pointer;
    constexpr double none = std::numeric_limits<double>::infinity();
    struct Edge {
        double distance;
        Point across;
    };
    const Edge edges[] = {
        {area.minX() > frame.minX() ? pointer.x - area.minX() : none, {area.minX() - 1, pointer.y}},
        {area.maxX() < frame.maxX() ? area.maxX() - pointer.x : none, {area.maxX(), pointer.y}},
        {area.minY() > frame.minY() ? pointer.y - area.minY() : none, {pointer.x, area.minY() - 1}},
        {area.maxY() < frame.maxY() ? area.maxY() - pointer.y : none, {pointer.x, area.maxY()}},
    };
    const Edge& nearest = *std::min_element(std::begin(edges), std::end(edges),
                                            [](const Edge& a, const Edge& b) { return a.distance < b.distance; });
    return nearest.distance <= kMenuReach ? nearest.across : pointer;
}

std::optional<Rect> hidingTrayPanel(Point at, const std::vector<Screen>& screens, const std::vector<Rect>& docks) {
    const auto screen =
        std::find_if(screens.begin(), screens.end(), [&](const Screen& s) { return s.frame.contains(at); });
    if (screen == screens.end()) return std::nullopt;
    std::optional<Rect> nearest;
    for (const Rect& dock : docks)
        if (dock.intersects(screen->frame) && (!nearest || dock.distanceTo(at) < nearest->distanceTo(at)))
            nearest = dock;
    if (!nearest || nearest->distanceTo(at) > kMenuReach || edgeOf(*nearest, screen->frame).second > kEdgeSlack ||
        !nearest->intersects(screen->visibleFrame))
        return std::nullopt;
    return nearest;
}

Rect areaBesidePanel(const Screen& screen, const Rect& panel) {
    const Rect& area = screen.visibleFrame;
    double minX = area.minX(), maxX = area.maxX(), minY = area.minY(), maxY = area.maxY();
    switch (edgeOf(panel, screen.frame).first) {
        case Side::left:
            minX = std::max(minX, panel.maxX());
            break;
        case Side::right:
            maxX = std::min(maxX, panel.minX());
            break;
        case Side::bottom:
            minY = std::max(minY, panel.maxY());
            break;
        case Side::top:
            maxY = std::min(maxY, panel.minY());
            break;
    }
    // A panel that takes the whole screen leaves nothing to go by.
    if (maxX <= minX || maxY <= minY) return area;
    return {minX, minY, maxX - minX, maxY - minY};
}

}  // namespace platform
