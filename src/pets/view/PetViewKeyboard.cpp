#include <algorithm>
#include <cmath>

#include "anim/MediaTime.h"
#include "pets/view/PetView.h"

namespace pets {
namespace {

using anim::Animation;
using anim::TimingFunction;
using anim::Transform;
using model::KeyboardReactionStyle;

constexpr const char* reactionKey = "keyboardReaction";

}  // namespace

void PetView::reactToKeyPress(KeyboardReactionStyle style, double intensity) {
    // Under Reduce Motion the eyes only flash; the wake boost waits for a reaction with motion.
    if (reduceMotion()) {
        pulseEyes();
        return;
    }
    // A pet just woken by typing answers the first key at full strength, however gently it came.
    double energy = std::isnan(intensity) ? 0 : intensity;
    if (wakeBoostPending_) energy = std::max(energy, 0.86);
    wakeBoostPending_ = false;
    const auto& L = layers_;
    for (const auto& layer : {L.actionLayer, L.secondaryLayer, L.faceLayer, L.pawLayer, L.furEchoLayer})
        layer->removeAnimation(reactionKey);
    energy = std::min(std::max(energy, 0.16), 1.0);

    switch (style) {
        case KeyboardReactionStyle::bounce:
            playKeyboardBounce(energy);
            break;
        case KeyboardReactionStyle::paws:
            alternatePaws();
            playFaceNod(energy);
            break;
        case KeyboardReactionStyle::fluff:
            playFluffShake(energy);
            break;
        case KeyboardReactionStyle::blink:
            blink();
            playFaceNod(0.5 * energy);
            break;
        case KeyboardReactionStyle::tilt:
            playHeadTilt(energy);
            break;
        case KeyboardReactionStyle::hop:
            playMiniHop(energy);
            break;
        case KeyboardReactionStyle::showCount:
            // The count sign is the coordinator's to show.
            break;
    }
}

void PetView::playKeyboardBounce(double e) {
    const auto& L = layers_;
    L.actionLayer->removeAnimation("keyReaction");
    double duration = 0.34 - 0.1 * e;
    L.actionLayer->addAnimation(
        Animation::keyframes("transform",
                             {Transform::identity(), Transform::pose(0, -e, 0, 1 + 0.08 * e, 1 - 0.09 * e),
                              Transform::pose(0, 2.5 + 3.2 * e, 0, 1 - 0.04 * e, 1 + 0.08 * e), Transform::identity()},
                             duration)
            .setKeyTimes({0, 0.2, 0.55, 1})
            .setTimingFunctions({TimingFunction::easeIn(), TimingFunction::easeOut(), TimingFunction::easeInEaseOut()}),
        "keyReaction");
    // The fur follows a moment later, the face leads.
    L.secondaryLayer->addAnimation(
        Animation::keyframes("transform",
                             {Transform::identity(), Transform::pose(0, -0.8 * e, 0, 1 + 0.06 * e, 1 - 0.05 * e),
                              Transform::pose(0, 1.2 * e, 0, 1 - 0.02 * e, 1 + 0.04 * e), Transform::identity()},
                             0.34)
            .setKeyTimes({0, 0.32, 0.68, 1})
            .setBeginTime(anim::currentMediaTime() + 0.025)
            .setTimingFunction(TimingFunction::easeOut()),
        "keyFurLag");
    L.faceLayer->addAnimation(
        Animation::keyframes("transform.translation.y", {0.0, 1.4, -0.6, 0.0}, 0.25).setKeyTimes({0, 0.28, 0.62, 1}),
        "keyFaceLead");
    animateShadowPulse(duration);
    alternatePaws();
}

void PetView::alternatePaws() {
    // Opposite phases: one paw is down while the other is up.
    layers_.leftPaw->addAnimation(Animation::keyframes("transform.translation.y", {0.0, 2.6, 0.0}, 0.23), "type");
    layers_.rightPaw->addAnimation(Animation::keyframes("transform.translation.y", {2.2, 0.0, 2.2}, 0.23), "type");
}

void PetView::playFaceNod(double e) {
    layers_.faceLayer->addAnimation(
        Animation::keyframes("transform.translation.y", {0.0, 1 + e, -0.4, 0.0}, 0.24).setKeyTimes({0, 0.3, 0.68, 1}),
        reactionKey);
}

void PetView::playFluffShake(double e) {
    double a = 1.2 + 1.8 * e;
    layers_.secondaryLayer->addAnimation(
        Animation::keyframes("transform",
                             {Transform::identity(), Transform::pose(-a, 0, -0.045, 1.04, 0.98),
                              Transform::pose(a, 0, 0.045, 0.98, 1.04), Transform::pose(-0.35 * a, 0, -0.018, 1, 1),
                              Transform::identity()},
                             0.3)
            .setKeyTimes({0, 0.2, 0.48, 0.72, 1}),
        reactionKey);
    layers_.furEchoLayer->addAnimation(Animation::basic("opacity", 0.14, 0.32, 0.15).setAutoreverses(true),
                                       reactionKey);
}

void PetView::playHeadTilt(double e) {
    // The two pets tilt toward opposite sides.
    double s = profile_.id % 2 != 0 ? 1 : -1;
    layers_.interactionLayer->addAnimation(
        Animation::keyframes("transform",
                             {Transform::identity(), Transform::pose(s * e, 0.8, s * (0.06 + 0.05 * e), 1, 1),
                              Transform::pose(0, 0, -0.025 * s, 1, 1), Transform::identity()},
                             0.34)
            .setKeyTimes({0, 0.36, 0.72, 1}),
        reactionKey);
}

void PetView::playMiniHop(double e) {
    layers_.actionLayer->addAnimation(
        Animation::keyframes("transform",
                             {Transform::identity(), Transform::pose(0, 0, 0, 1.08, 0.91),
                              Transform::pose(0, 3.2 + 3.8 * e, 0, 0.94, 1.07), Transform::pose(0, 0, 0, 1.05, 0.95),
                              Transform::identity()},
                             0.38)
            .setKeyTimes({0, 0.18, 0.48, 0.76, 1}),
        reactionKey);
    animateShadowPulse(0.38);
}

}  // namespace pets
