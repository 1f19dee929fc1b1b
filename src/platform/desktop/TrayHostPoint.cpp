#include "platform/desktop/TrayHostPoint.h"

#include <cmath>

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

}  // namespace platform
