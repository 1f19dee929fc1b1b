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
// A host's menu opens beside its panel: a pointer read on it lies no farther from the panel
// than the menu reaches. Ours has one entry, about 30 points tall at scale 1; this covers it
// drawn by a host at scale 4, or a menu of five entries, and keeps a pointer on a panel
// without a strut (inside the area left for windows) from being taken to a far edge.
constexpr double kMenuReach = 160;
// A panel drawn at a fractional scale may end a fraction of a point short of the screen's edge.
constexpr double kEdgeSlack = 1;

double distanceTo(const Rect& r, Point p) {
    return std::hypot(std::max({r.minX() - p.x, 0.0, p.x - r.maxX()}), std::max({r.minY() - p.y, 0.0, p.y - r.maxY()}));
}

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
}  // namespace

Point trayHostPointInPixels(Point reported, std::optional<Point> pointerPixels) {
    const double length = reported.x * reported.x + reported.y * reported.y;
    if (!pointerPixels || length <= 0) return reported;
    const Point pointer = *pointerPixels;
    const auto distance = [&](double scale) {
        return std::hypot(scale * reported.x - pointer.x, scale * reported.y - pointer.y);
    };
    // The scale that puts the reading nearest the pointer. Only when both axes agree on it
    // does the scaled reading come near the pointer.
    const double fitted =
        std::clamp((reported.x * pointer.x + reported.y * pointer.y) / length, kLeastScale, kGreatestScale);
    const double whole = std::round(fitted);
    const double scale =
        std::abs(fitted - whole) <= kWholeScaleSlack && distance(whole) < kNearPointer ? whole : fitted;
    return distance(scale) < kNearPointer ? Point{scale * reported.x, scale * reported.y} : reported;
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
        if (dock.intersects(screen->frame) && (!nearest || distanceTo(dock, at) < distanceTo(*nearest, at)))
            nearest = dock;
    if (!nearest || distanceTo(*nearest, at) > kMenuReach || edgeOf(*nearest, screen->frame).second > kEdgeSlack ||
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
