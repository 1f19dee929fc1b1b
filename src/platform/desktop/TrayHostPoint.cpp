#include "platform/desktop/TrayHostPoint.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

}  // namespace platform
