#include <vector>

#include "anim/MediaTime.h"
#include "pets/view/PetView.h"

namespace pets {
namespace {

using anim::Animation;
using anim::TimingFunction;
using anim::Transform;
using model::PetActivity;

// One idle pose: a rise, a turn and a squash of the whole body about its centre.
Transform pose(double ty, double angle, double sx, double sy) {
    return Transform::pose(0, ty, angle, sx, sy);
}

struct Loop {
    std::vector<anim::Value> values;
    double duration = 0;
};

// A swing out to `to` and back; the cycle ends where it starts.
Loop swing(Transform from, Transform to, double duration) {
    return {{from, to, from}, duration};
}

bool walks(PetActivity a) {
    // The gait moves the body then.
    return a == PetActivity::roaming || a == PetActivity::chasing;
}

Loop ambientLoop(PetActivity activity, bool energetic) {
    auto pick = [energetic](double calm, double lively) { return energetic ? lively : calm; };
    // The mirrored loops lean the two pets toward each other.
    const double s = energetic ? -1 : 1;
    switch (activity) {
        case PetActivity::drowsy:
            return swing(pose(0, -0.018, 1.02, 0.97), pose(-0.7, 0.018, 1.04, 0.95), pick(3.6, 3.0));
        case PetActivity::sleeping:
            return swing(pose(0, 0, 1.04, 0.93), pose(0, 0, 1.06, 0.91), 3.8);
        case PetActivity::dreaming:
            return swing(pose(0, -0.025, 1.05, 0.92), pose(0.8, 0.03, 1.07, 0.9), pick(3.4, 2.8));
        case PetActivity::cuddling:
            return swing(pose(0, 0.07 * s, 1.03, 0.97), pose(0, 0.09 * s, 1.05, 0.95), 2.6);
        case PetActivity::dragged:
            return swing(pose(0, -0.04, 0.94, 1.09), pose(0, 0.04, 0.94, 1.09), 0.7);
        case PetActivity::searching: {
            Transform left = pose(0, -0.11, 1, 1), up = pose(1.2, 0, 1, 1), right = pose(0, 0.11, 1, 1);
            return {{left, up, right, up, left}, 1.4};
        }
        case PetActivity::lookingFar:
            return swing(pose(0, -0.035, 1.02, 0.98), pose(1.2, 0.025, 1.04, 0.96), 3.6);
        case PetActivity::waking:
            return swing(pose(0, 0, 1.06, 0.94), pose(3.5, 0, 0.96, 1.07), 0.7);
        case PetActivity::playing:
        case PetActivity::greeting:
            return swing(pose(0, -0.06, 1.05, 0.95), pose(2.5, 0.06, 0.96, 1.06), pick(0.58, 0.42));
        case PetActivity::focusing:
            return swing(pose(-1, 0, 1.02, 0.98), pose(-0.3, 0, 1, 1.01), 4.2);
        case PetActivity::stretching: {
            Transform wide = pose(0, 0, 1.08, 0.92);
            return {{wide, pose(4, 0, 0.88, 1.15), pose(0, 0, 1.12, 0.9), wide}, 1.4};
        }
        case PetActivity::drinking: {
            Transform bent = pose(-2, 0.16, 1, 1);
            return {{Transform::identity(), bent, bent, Transform::identity()}, 1.5};
        }
        case PetActivity::highFiving:
            return swing(pose(0, 0, 0.94, 1.07), pose(1.5, 0, 1.04, 0.95), 0.88);
        case PetActivity::copycat:
            return swing(pose(0, 0.04 * s, 1.03, 0.97), pose(3, -0.04 * s, 0.93, 1.1), pick(0.82, 0.66));
        default:
            // Plain breathing: a small rise, a little narrower and taller at the top of the breath.
            return swing(Transform::identity(), pose(0.65, 0, 0.992, 1.018), pick(3.2, 2.5));
    }
}

Loop secondaryLoop(PetActivity activity, bool energetic) {
    auto pick = [energetic](double calm, double lively) { return energetic ? lively : calm; };
    switch (activity) {
        case PetActivity::drowsy:
        case PetActivity::sleeping:
        case PetActivity::dreaming:
        case PetActivity::cuddling:
            return swing(pose(0, 0, 1.01, 0.99), pose(-0.4, 0, 1.025, 0.975), pick(4.2, 3.5));
        case PetActivity::typing:
        case PetActivity::waking:
        case PetActivity::playing:
            return swing(pose(0, 0, 1.04, 0.96), pose(1.7, 0, 0.97, 1.05), pick(0.5, 0.38));
        default:
            return swing(pose(0, -0.012, 1, 1), pose(0.45, 0.012, 1, 1), pick(2.75, 2.15));
    }
}

// Endless, eased over the whole cycle, values evenly spaced.
Animation endless(const Loop& loop) {
    return Animation::keyframes("transform", loop.values, loop.duration)
        .setRepeatCount(Animation::infinity)
        .setTimingFunction(TimingFunction::easeInEaseOut());
}

}  // namespace

void PetView::applyAmbientAnimation() {
    auto& layer = *layers_.ambientLayer;
    layer.removeAnimation("ambient");
    if (reduceMotion() || walks(activity_)) return;
    layer.addAnimation(endless(ambientLoop(activity_, profile_.energetic)), "ambient");
}

void PetView::applySecondaryMotion() {
    auto& layer = *layers_.secondaryLayer;
    layer.removeAnimation("secondaryMotion");
    if (reduceMotion() || walks(activity_)) return;
    // A beat behind the body, the livelier pet sooner.
    const double delay = profile_.energetic ? 0.035 : 0.065;
    layer.addAnimation(
        endless(secondaryLoop(activity_, profile_.energetic)).setBeginTime(anim::currentMediaTime() + delay),
        "secondaryMotion");
}

}  // namespace pets
