#include "anim/Transaction.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using anim::Animation;
using anim::Transform;

// Everything of the walk repeats once per stride until the walk stops.
Animation stride(std::string keyPath, std::vector<anim::Value> values, double strideDuration) {
    return Animation::keyframes(std::move(keyPath), std::move(values), strideDuration)
        .setRepeatCount(Animation::infinity);
}

}  // namespace

// The panel moves; the view only waddles. It knows the sense of travel and one stride's length.

void PetView::startTravel(double direction, double strideDuration) {
    // Under Reduce Motion, or while hidden, the panel glides with the pet in its current pose.
    if (reduceMotion() || !presentationActive_) return;
    if (isHomeAttached_) setHomeAttached(false, false);
    isGrippingHome_ = false;
    anim::Transaction::animate(0, [&] { updateFreePaws(); });
    isTravelling_ = true;
    updateFreePaws();
    const double s = direction < 0 ? -1 : 1;
    auto& L = layers_;
    anim::Transaction::animate(0.16,
                               [&] { L.faceLayer->setTransform(Transform::pose(5.2 * s, 0, -0.07 * s, 0.82, 1)); });

    L.actionLayer->addAnimation(stride("transform",
                                       {Transform::pose(-1.3 * s, 0, -0.035 * s, 1.07, 0.92),
                                        Transform::pose(1.8 * s, 2.8, 0.065 * s, 0.94, 1.09),
                                        Transform::pose(-0.8 * s, 0, -0.04 * s, 1.05, 0.94)},
                                       strideDuration)
                                    .setTimingFunction(anim::TimingFunction::easeInEaseOut()),
                                "travelGait");
    // The paws step in opposite phase.
    L.leftPaw->addAnimation(stride("transform.translation.y", {0.0, 3.5, 0.0}, strideDuration), "travelPaw");
    L.rightPaw->addAnimation(stride("transform.translation.y", {3.5, 0.0, 3.5}, strideDuration), "travelPaw");
    L.furEchoLayer->addAnimation(stride("transform.translation.x", {0.0, -1.5 * s, 0.7 * s, 0.0}, strideDuration),
                                 "travelFur");
    effortBurst(s);
}

void PetView::stopTravel() {
    if (!isTravelling_) return;
    isTravelling_ = false;
    auto& L = layers_;
    L.actionLayer->removeAnimation("travelGait");
    L.leftPaw->removeAnimation("travelPaw");
    L.rightPaw->removeAnimation("travelPaw");
    L.furEchoLayer->removeAnimation("travelFur");
    anim::Transaction::animate(reduceMotion() ? 0 : 0.2, [&] { L.faceLayer->setTransform(Transform::identity()); });
    updateFreePaws();
    anim::Transaction::withoutActions([&] { L.effortLayer->setOpacity(0); });
    if (reduceMotion() || !presentationActive_) return;
    auto brake =
        Animation::keyframes(
            "transform",
            {Transform::pose(0, 0, 0, 1.1, 0.88), Transform::pose(0, 1.2, 0, 0.96, 1.06), Transform::identity()}, 0.38)
            .setKeyTimes({0, 0.55, 1});
    L.actionLayer->addAnimation(brake, "travelBrake");
    animateShadowPulse(brake.duration);
}

void PetView::effortBurst(double d) {
    auto& L = layers_;
    // The puff's own animations carry its look; its model opacity only switches it on and off,
    // so it never fades in or out on its own.
    anim::Transaction::withoutActions([&] { L.effortLayer->setOpacity(1); });
    auto puff = Animation::keyframes("transform",
                                     {Transform::pose(0, 0, 0, 0.3, 0.3), Transform::pose(-3 * d, 0, 0, 1, 1),
                                      Transform::pose(-8 * d, 0, 0, 1.4, 0.65)},
                                     0.32)
                    .setKeyTimes({0, 0.35, 1});
    L.effortLayer->addAnimation(puff, "effort");
    L.effortLayer->addAnimation(Animation::basic("opacity", 0.7, 0.0, 0.32), "effortFade");
    platform::mainLoop().after(
        0.34, weakly([this] { anim::Transaction::withoutActions([&] { layers_.effortLayer->setOpacity(0); }); }));
}

}  // namespace pets
