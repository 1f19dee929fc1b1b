#include "platform/desktop/TrayHostPoint.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

namespace {
// Farther than this from the pointer, a reading cannot be the icon the pointer is on: the
// largest tray icons are 64 pixels at scale 2.
constexpr double kNearPointer = 128;
}  // namespace

Point trayHostPointInPixels(Point reported, std::optional<Point> pointerPixels) {
    if (!pointerPixels) return reported;
    Point best = reported;
    double bestDistance = kNearPointer;
    for (int scale = 1; scale <= 4; ++scale) {
        const Point candidate{reported.x * scale, reported.y * scale};
        const double distance = std::hypot(candidate.x - pointerPixels->x, candidate.y - pointerPixels->y);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
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
    return nearest.distance == none ? pointer : nearest.across;
}

}  // namespace platform
