#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using anim::Animation;
using anim::TimingFunction;
using anim::Transform;
using model::PetActivity;

}  // namespace

// Each timer fires into a later turn of the loop, where the body runs only if the view still
// exists; a one-shot chain thus ends with its view.

void PetView::scheduleBlink() {
    if (blinkTimer_) blinkTimer_->invalidate();
    // The second pet blinks a little later, so the two never blink in step.
    double interval = profile_.id * 0.35 + platform::random().uniform(2.4, 5.2);
    blinkTimer_ = platform::mainLoop().schedule(interval, 0.25, false, weakly([this] {
                                                    platform::mainLoop().post(weakly([this] {
                                                        blink();
                                                        scheduleBlink();
                                                    }));
                                                }));
}

void PetView::startGazeTracking() {
    if (gazeTimer_) return;
    scheduleGaze(false);
}

// While the eyes follow a moving pointer or sweep, the gaze is looked at several times a second;
// once nothing has moved it for a while, only now and then: each look is an X round trip and a
// wake-up, and a still pointer changes nothing on screen.
void PetView::scheduleGaze(bool resting) {
    if (gazeTimer_) gazeTimer_->invalidate();
    gazeResting_ = resting;
    gazeTimer_ = platform::mainLoop().schedule(
        resting ? 1.0 : 0.16, resting ? 0.25 : 0.05, true,
        weakly([this] { platform::mainLoop().post(weakly([this] { lookAgain(); })); }));
}

void PetView::lookAgain() {
    // Several still looks in a row, about a second, before the looks slow down.
    constexpr int stillLooksBeforeRest = 6;
    const bool moved = updateGaze();
    stillLooks_ = moved ? 0 : stillLooks_ + 1;
    const bool rest = stillLooks_ >= stillLooksBeforeRest;
    if (gazeTimer_ && rest != gazeResting_) scheduleGaze(rest);
}

void PetView::scheduleMicroMotion() {
    if (microMotionTimer_) microMotionTimer_->invalidate();
    double interval = profile_.id * 0.45 + platform::random().uniform(3.8, 7.4);
    microMotionTimer_ = platform::mainLoop().schedule(interval, 0.45, false, weakly([this] {
                                                          platform::mainLoop().post(weakly([this] {
                                                              playMicroMotion();
                                                              scheduleMicroMotion();
                                                          }));
                                                      }));
}

// Now and then a resting pet turns along its edge, or glances aside with a puff of its fur.
void PetView::playMicroMotion() {
    auto* w = window();
    if (reduceMotion() || !w || !w->isVisible()) return;
    if (activity_ != PetActivity::home && activity_ != PetActivity::idle && activity_ != PetActivity::peeking &&
        activity_ != PetActivity::perched)
        return;
    const auto& L = layers_;
    if (isHomeAttached_) {
        // The two pets turn to opposite sides.
        const double s = profile_.id == 0 ? -1 : 1;
        const double d = profile_.energetic ? 1.12 : 1.48;
        L.interactionLayer->addAnimation(
            Animation::keyframes("transform",
                                 {Transform::identity(), Transform::pose(1.1 * s, -0.3, 0.018 * s, 1, 1),
                                  Transform::pose(-0.9 * s, 0.2, -0.016 * s, 1, 1), Transform::identity()},
                                 d)
                .setKeyTimes({0, 0.3, 0.72, 1})
                .setTimingFunction(TimingFunction::easeInEaseOut()),
            "edgeBodyTurn");
        L.faceLayer->addAnimation(Animation::keyframes("transform.translation.x", {0.0, 0.7 * s, -0.6 * s, 0.0}, d)
                                      .setKeyTimes({0, 0.3, 0.72, 1})
                                      .setTimingFunction(TimingFunction::easeInEaseOut()),
                                  "edgeLookFace");
        return;
    }
    const double x = platform::random().unit() < 0.5 ? 1.4 : -1.4;
    const double d = profile_.energetic ? 0.72 : 1.0;
    L.faceLayer->addAnimation(Animation::keyframes("transform.translation.x", {0.0, x, x, 0.0}, d)
                                  .setKeyTimes({0, 0.22, 0.68, 1})
                                  .setTimingFunction(TimingFunction::easeInEaseOut()),
                              "curiousGlance");
    L.furEchoLayer->addAnimation(
        Animation::basic("opacity", 0.1, profile_.energetic ? 0.24 : 0.19, d / 2).setAutoreverses(true), "fluffPulse");
}

}  // namespace pets
