#include "model/PetHomeRules.h"

#include <algorithm>
#include <cmath>

namespace model {

namespace {

template <typename Set>
bool contains(const Set& set, PetActivity activity) {
    return std::find(set.begin(), set.end(), activity) != set.end();
}

// A pose may come from an animation or a caller's arithmetic: a zero or broken scale must not
// throw the paws to infinity, and a broken shift or tilt counts as none.
double usableScale(double s) {
    return std::isfinite(s) && s != 0 ? s : 1;
}
double usableAmount(double v) {
    return std::isfinite(v) ? v : 0;
}

}  // namespace

bool HomeContactEngine::isHomeContactActivity(PetActivity activity) {
    return contains(homeContactActivities, activity);
}

HomeContactEngine::RestFactors HomeContactEngine::restFactors(PetActivity activity) {
    switch (activity) {
        case PetActivity::drowsy:
            return {0.975, 1.025, 1.22};
        case PetActivity::sleeping:
            return {0.94, 1.045, 1.48};
        case PetActivity::dreaming:
            return {0.94, 1.045, 1.38};
        default:
            return {};
    }
}

HomeContactPose HomeContactEngine::pose(PetHomeKind kind, HomeEdge edge, PetActivity activity) {
    if (!isHomeContactActivity(activity)) return HomeContactPose::neutral();
    const auto [a, b, c] = restFactors(activity);
    if (kind == PetHomeKind::notch) return {b * 0.98, a * 1.02, 0, -2.2 * c, 0};
    switch (edge) {
        case HomeEdge::top:
            return {b, a, 0, -1.7 * c, 0};
        case HomeEdge::bottom:
            return {b, a, 0, 1.2 * c, 0};
        case HomeEdge::left:
            return {a, b, 1.4 * c, 0, -0.05};
        case HomeEdge::right:
            return {a, b, -1.4 * c, 0, 0.05};
    }
    return HomeContactPose::neutral();
}

GripStrokes HomeAttachmentLayout::gripStrokes(HomeEdge edge, double boundaryOffset, platform::Size size,
                                              const HomeContactPose& pose) {
    const double o = boundaryOffset, w = size.width, h = size.height;
    GripStrokes strokes;
    // Depths across the boundary, from the pet's side outward over it.
    const bool vertical = edge == HomeEdge::top || edge == HomeEdge::bottom;
    const double sign = (edge == HomeEdge::top || edge == HomeEdge::right) ? 1 : -1;
    const std::array depths{-3.8 * sign, 1.2 * sign, 6.2 * sign};
    const std::array along = vertical ? std::array{0.19 * w, 0.81 * w} : std::array{0.2 * h, 0.8 * h};
    for (size_t s = 0; s < 2; ++s)
        for (size_t i = 0; i < 3; ++i)
            strokes[s][i] =
                vertical ? platform::Point{along[s], o + depths[i]} : platform::Point{o + depths[i], along[s]};

    const double sx = usableScale(pose.scaleX), sy = usableScale(pose.scaleY);
    const double dx = usableAmount(pose.offsetX), dy = usableAmount(pose.offsetY);
    const double r = usableAmount(pose.rotation);
    const double cosR = std::cos(r), sinR = std::sin(r);
    const double mx = w / 2, my = h / 2;
    for (auto& stroke : strokes)
        for (auto& p : stroke) {
            const double qx = p.x - mx - dx, qy = p.y - my - dy;
            const double rx = qx * cosR + qy * sinR, ry = qy * cosR - qx * sinR;
            p = {rx / sx + mx, ry / sy + my};
        }
    return strokes;
}

platform::Point HomeAttachmentLayout::faceOffset(PetHomeKind kind, HomeEdge edge) {
    if (kind == PetHomeKind::notch) return {0, -2.5};
    const bool screenEdge = kind == PetHomeKind::screenEdge;
    switch (edge) {
        case HomeEdge::top:
            return {0, screenEdge ? -9.5 : -2.5};
        case HomeEdge::bottom:
            return {0, 1.0};
        // At a side the face moves far enough in that the eye nearest the edge stays whole.
        case HomeEdge::left:
            return {7.0, -1.0};
        case HomeEdge::right:
            return {-7.0, -1.0};
    }
    return {};
}

PetPawVisibility PetPawVisibility::resolve(bool attached, bool gripping, bool travelling, PetActivity activity) {
    if (attached) return {false, gripping && !travelling && !contains(gripHidingActivities, activity)};
    return {travelling || contains(freePawActivities, activity), false};
}

bool PetHomePoses::contains(PetActivity activity) {
    return model::contains(activities, activity);
}

bool PetHomeMotionPolicy::scansEdge(bool attached, bool manuallyPerched, PetActivity activity) {
    return manuallyPerched || (attached && contains(edgeScanActivities, activity));
}

}  // namespace model
