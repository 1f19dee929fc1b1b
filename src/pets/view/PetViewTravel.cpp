#include "anim/Transaction.h"
#include "pets/view/PetView.h"

namespace pets {

// The walking state: a travelling pet lets go of its home and shows its free paws, its face
// leaning the way it goes. The gait loops, the effort puff and the brake are added by the
// travel behaviour on top of this state.

void PetView::startTravel(double direction, double /*strideDuration*/) {
    // Under Reduce Motion, or while hidden, the panel glides with the pet in its current pose.
    if (reduceMotion() || !presentationActive_) return;
    if (isHomeAttached_) setHomeAttached(false, false);
    isGrippingHome_ = false;
    anim::Transaction::animate(0, [&] { updateFreePaws(); });
    isTravelling_ = true;
    updateFreePaws();
    double s = direction < 0 ? -1 : 1;
    anim::Transaction::animate(
        0.16, [&] { layers_.faceLayer->setTransform(anim::Transform::pose(5.2 * s, 0, -0.07 * s, 0.82, 1)); });
}

void PetView::stopTravel() {
    if (!isTravelling_) return;
    isTravelling_ = false;
    layers_.actionLayer->removeAnimation("travelGait");
    layers_.leftPaw->removeAnimation("travelPaw");
    layers_.rightPaw->removeAnimation("travelPaw");
    layers_.furEchoLayer->removeAnimation("travelFur");
    anim::Transaction::animate(reduceMotion() ? 0 : 0.2,
                               [&] { layers_.faceLayer->setTransform(anim::Transform::identity()); });
    updateFreePaws();
    layers_.effortLayer->setOpacity(0);
}

}  // namespace pets
