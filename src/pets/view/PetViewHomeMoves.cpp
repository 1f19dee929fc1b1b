#include <algorithm>

#include "anim/MediaTime.h"
#include "anim/Transaction.h"
#include "pets/view/PetView.h"

namespace pets {
namespace {

using anim::Animation;
using anim::TimingFunction;
using anim::Transform;
using platform::Point;

Transform P(double tx, double ty, double sx, double sy) {
    return Transform::pose(tx, ty, 0, sx, sy);
}

}  // namespace

Point PetView::homeTravelOffset(bool hidden) const {
    double d = hidden ? 13 : 8;
    if (manualPerchEdge_) {
        // A dropped pet hides as deep as its perch lets it, and pushes off by a quarter of that.
        double D = manualHiddenTravelDistance_;
        d = hidden ? D : std::min(0.25 * D, 8.0);
    } else if (homeKind_ == model::PetHomeKind::notch) {
        return {0, d};
    }
    switch (manualPerchEdge_.value_or(homeEdge_)) {
        case model::HomeEdge::top:
            return {0, d};
        case model::HomeEdge::bottom:
            return {0, -d};
        case model::HomeEdge::left:
            return {-d, 0};
        case model::HomeEdge::right:
            return {d, 0};
    }
    return {};
}

void PetView::playHomePeek() {
    if (reduceMotion()) return;
    Point o = homeTravelOffset(true);
    auto peek = Animation::keyframes("transform",
                                     {P(o.x, o.y, 0.96, 1.03), P(-0.1 * o.x, -0.1 * o.y, 1.04, 0.97),
                                      P(0, 0, 0.99, 1.01), Transform::identity()},
                                     profile_.energetic ? 0.72 : 0.94)
                    .setKeyTimes({0, 0.46, 0.72, 1})
                    .setTimingFunction(TimingFunction::easeOut());
    layers_.actionLayer->addAnimation(peek, "homePeek");
    animateGripArrival(peek.duration, 0);
}

void PetView::animateGripArrival(double duration, double beginTime) {
    if (!isGrippingHome_) return;
    // Held at 0 before a delayed start: the paws must not show before the body emerges.
    auto grip = Animation::keyframes("opacity", {0.0, 0.0, 1.0, 1.0}, duration)
                    .setKeyTimes({0, 0.14, 0.42, 1})
                    .setTimingFunction(TimingFunction::easeOut())
                    .setBeginTime(beginTime)
                    .setFillMode(anim::FillMode::backwards);
    layers_.gripLayer->addAnimation(grip, "gripArrival");
}

void PetView::leaveHome() {
    setHomeAttached(false, true);
    if (reduceMotion()) return;
    Point o = homeTravelOffset(false);
    auto leave = Animation::keyframes("transform",
                                      {Transform::identity(), P(-0.12 * o.x, -0.12 * o.y, 1.08, 0.92),
                                       P(0.08 * o.x, 0.08 * o.y, 0.96, 1.06), Transform::identity()},
                                      profile_.energetic ? 0.38 : 0.5)
                     .setKeyTimes({0, 0.3, 0.68, 1})
                     .setTimingFunction(TimingFunction::easeOut());
    layers_.actionLayer->addAnimation(leave, "leaveHome");
}

void PetView::revealAtHome() {
    if (!presentationActive_ || reduceMotion()) return;
    Point o = homeTravelOffset(true);
    // The second pet comes out a little after the first; until then it stays hidden.
    double begin = anim::currentMediaTime() + profile_.id * 0.18;
    auto reveal =
        Animation::keyframes("transform",
                             {P(o.x, o.y, 0.9, 1.08), P(-0.12 * o.x, -0.12 * o.y, 1.08, 0.92),
                              P(0.03 * o.x, 0.03 * o.y, 0.97, 1.04), Transform::identity()},
                             profile_.energetic ? 0.92 : 1.16)
            .setKeyTimes({0, 0.52, 0.78, 1})
            .setTimingFunctions({TimingFunction::easeOut(), TimingFunction::easeInEaseOut(), TimingFunction::easeOut()})
            .setBeginTime(begin)
            .setFillMode(anim::FillMode::backwards);
    layers_.actionLayer->addAnimation(reveal, "revealAtHome");
    animateGripArrival(reveal.duration, begin);
    animateShadowPulse(reveal.duration);
}

void PetView::settleAtHome() {
    isGrippingHome_ = isHomeAttached_;
    // Free and grip paws cross-fade to the new state.
    anim::Transaction::animate(reduceMotion() ? 0 : 0.18, [&] { updateFreePaws(); });
    if (reduceMotion()) return;
    auto settle =
        Animation::keyframes("transform",
                             {P(0, 3, 0.91, 1.11), P(0, -1, 1.1, 0.9), P(0, 0.7, 0.98, 1.03), Transform::identity()},
                             profile_.energetic ? 0.46 : 0.58)
            .setKeyTimes({0, 0.34, 0.68, 1})
            .setTimingFunctions(
                {TimingFunction::easeOut(), TimingFunction::easeInEaseOut(), TimingFunction::easeOut()});
    layers_.actionLayer->addAnimation(settle, "settle");
    animateShadowPulse(settle.duration);
}

}  // namespace pets
