#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {

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
    gazeTimer_ = platform::mainLoop().schedule(
        0.16, 0.05, true, weakly([this] { platform::mainLoop().post(weakly([this] { updateGaze(); })); }));
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

// The blink, the gaze and the idle gestures are played by the eye and attention behaviour;
// until it is in place the timers keep their rhythm without moving anything.
void PetView::blink() {}
void PetView::updateGaze() {}
void PetView::playMicroMotion() {}

// The idle loops belong to the ambient behaviour; a pet without them simply rests.
void PetView::applyAmbientAnimation() {}
void PetView::applySecondaryMotion() {}

}  // namespace pets
