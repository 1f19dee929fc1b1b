#include "model/PetMotionRules.h"

#include <algorithm>
#include <cmath>

namespace model {

namespace {

bool isFinite(platform::Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}
bool isFinite(const platform::Rect& r) {
    return isFinite(r.origin) && std::isfinite(r.size.width) && std::isfinite(r.size.height);
}

}  // namespace

bool CursorAttentionEngine::isEligible(PetActivity activity) {
    return std::find(eligibleActivities.begin(), eligibleActivities.end(), activity) != eligibleActivities.end();
}

CursorAttentionPose CursorAttentionEngine::pose(platform::Vector delta, PetActivity activity) {
    const double d = delta.length();
    // A pointer position that is no number must not spread NaN through the layer tree.
    if (!isEligible(activity) || !std::isfinite(d) || d >= reach) return CursorAttentionPose::neutral();
    const double s = std::clamp((reach - d) / (reach - fullStrengthDistance), 0.0, 1.0);
    if (s == 0) return CursorAttentionPose::neutral();
    const double ux = delta.dx / std::max(d, 1.0), uy = delta.dy / std::max(d, 1.0);
    return {
        s,
        2.4 * ux * s,
        1.7 * uy * s,
        0.045 * ux * s,
        1 + 0.018 * std::abs(ux) * s,
        1 + 0.014 * std::abs(uy) * s,
        static_cast<float>(0.16 + 0.1 * s),
    };
}

double PetTravelInterpolation::easedProgress(double p) {
    if (!(p >= 0)) return 0;  // also catches NaN
    if (p < 0.15) return p * p / 0.255;
    if (p <= 0.85) return (p - 0.075) / 0.85;
    if (p < 1) return 1 - (1 - p) * (1 - p) / 0.255;
    return 1;
}

platform::Point PetTravelInterpolation::position(platform::Point from, platform::Point to, double progress) {
    const double e = easedProgress(progress);
    return {from.x + (to.x - from.x) * e, from.y + (to.y - from.y) * e};
}

std::optional<platform::Rect> PetDragPhysics::nearestFrame(platform::Point to, platform::Size petSize,
                                                           const std::vector<platform::Rect>& visibleFrames) {
    const platform::Point c{to.x + petSize.width / 2, to.y + petSize.height / 2};
    std::optional<platform::Rect> best;
    double bestDistance = 0;
    for (const auto& frame : visibleFrames) {
        // A broken frame would otherwise win whenever it came first, as nothing compares below NaN;
        // a frame without area is no screen to cling to.
        if (!isFinite(frame) || frame.isEmpty()) continue;
        const double nx = std::clamp(c.x, frame.minX(), frame.maxX());
        const double ny = std::clamp(c.y, frame.minY(), frame.maxY());
        const double distance = std::hypot(c.x - nx, c.y - ny);
        if (!best || distance < bestDistance) {
            best = frame;
            bestDistance = distance;
        }
    }
    return best;
}

std::optional<ScreenEdgePerch> PetDragPhysics::edgePerch(platform::Point at, platform::Size petSize,
                                                         const std::vector<platform::Rect>& visibleFrames,
                                                         double topVisibleDepth, double threshold) {
    // NaN gaps pass every threshold test, so a broken input would perch the pet at NaN.
    if (!isFinite(at) || !std::isfinite(petSize.width) || !std::isfinite(petSize.height) ||
        !std::isfinite(topVisibleDepth) || !std::isfinite(threshold))
        return std::nullopt;
    const auto frame = nearestFrame(at, petSize, visibleFrames);
    if (!frame) return std::nullopt;
    const double x = at.x, y = at.y, w = petSize.width, h = petSize.height;
    const auto& F = *frame;

    // In this order; a later edge wins only with a strictly smaller gap.
    const std::array<std::pair<HomeEdge, double>, 4> gaps{{
        {HomeEdge::left, std::abs(x - F.minX())},
        {HomeEdge::right, std::abs(F.maxX() - (x + w))},
        {HomeEdge::bottom, std::abs(y - F.minY())},
        {HomeEdge::top, std::abs(F.maxY() - (y + h))},
    }};
    auto nearest = gaps[0];
    for (const auto& gap : gaps)
        if (gap.second < nearest.second) nearest = gap;
    if (nearest.second > threshold) return std::nullopt;

    // Keep the pet `inset` from the frame's ends along the edge; a pet wider than the frame sits at its start.
    const auto clampX = [&](double inset) {
        return std::min(std::max(x, F.minX() + inset), std::max(F.minX() + inset, F.maxX() - w - inset));
    };
    const auto clampY = [&](double inset) {
        return std::min(std::max(y, F.minY() + inset), std::max(F.minY() + inset, F.maxY() - h - inset));
    };
    const double v = visibleDepth;
    switch (nearest.first) {
        case HomeEdge::left:
            return ScreenEdgePerch{HomeEdge::left,
                                   {F.minX() - w + v, clampY(8)},
                                   {F.minX() + 24, clampY(24)},
                                   {F.minX() - w - 1, clampY(8)},
                                   w - v};
        case HomeEdge::right:
            return ScreenEdgePerch{HomeEdge::right,
                                   {F.maxX() - v, clampY(8)},
                                   {F.maxX() - w - 24, clampY(24)},
                                   {F.maxX() + 1, clampY(8)},
                                   v};
        case HomeEdge::bottom:
            return ScreenEdgePerch{HomeEdge::bottom,
                                   {clampX(8), F.minY() - h + v},
                                   {clampX(24), F.minY() + 24},
                                   {clampX(8), F.minY() - h - 1},
                                   h - v};
        case HomeEdge::top:
            return ScreenEdgePerch{HomeEdge::top,
                                   {clampX(8), F.maxY() - topVisibleDepth},
                                   {clampX(24), F.maxY() - h - 24},
                                   {clampX(8), F.maxY() + 1},
                                   topVisibleDepth};
    }
    return std::nullopt;
}

}  // namespace model
