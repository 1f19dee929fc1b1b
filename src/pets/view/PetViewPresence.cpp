#include "anim/MediaTime.h"
#include "anim/Transaction.h"
#include "pets/view/PetView.h"

namespace pets {

void PetView::setPresentationActive(bool active) {
    if (active == presentationActive_) return;
    presentationActive_ = active;
    auto& L = layers_;
    if (active) {
        scheduleBlink();
        startGazeTracking();
        scheduleMicroMotion();
        applyActivity();
        return;
    }
    // A hidden pet costs nothing: no timers, no running animations.
    for (auto* timer : {&blinkTimer_, &gazeTimer_, &microMotionTimer_}) {
        if (*timer) (*timer)->invalidate();
        timer->reset();
    }
    for (const auto& layer : {L.homePoseLayer, L.ambientLayer, L.actionLayer, L.attentionLayer, L.interactionLayer,
                              L.secondaryLayer, L.faceLayoutLayer, L.faceLayer, L.pawLayer, L.gripLayer})
        layer->removeAllAnimations();
    L.shadowLayer->removeAllAnimations();
    L.furEchoLayer->removeAllAnimations();
    stopTravel();
    L.sceneLayer->removeAllAnimations();
    stopGazeSweep(anim::currentMediaTime());
    anim::Transaction::withoutActions([&] {
        L.attentionLayer->setTransform(anim::Transform::identity());
        L.furEchoLayer->setOpacity(0.16);
    });
    cursorWasNear_ = false;
}

}  // namespace pets
