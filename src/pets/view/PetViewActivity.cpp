#include "anim/Transaction.h"
#include "model/PetMotionRules.h"
#include "pets/view/PetView.h"

namespace pets {
namespace {

using model::PetActivity;

struct EyeLook {
    double openness = 1;
    double pupilOpacity = 1;
};

EyeLook eyeLook(PetActivity activity) {
    switch (activity) {
        case PetActivity::drowsy:
            return {0.44, 1};
        case PetActivity::sleeping:
        case PetActivity::dreaming:
        case PetActivity::cuddling:
            return {0.12, 0};
        case PetActivity::laughing:
            return {0.35, 1};
        default:
            return {};
    }
}

bool isRestful(PetActivity activity) {
    return activity == PetActivity::drowsy || activity == PetActivity::sleeping || activity == PetActivity::dreaming;
}

}  // namespace

void PetView::setActivity(PetActivity activity) {
    // The same activity again replays nothing: no eye change, no celebration, no peek.
    if (activity == activity_) return;
    PetActivity previous = activity_;
    activity_ = activity;
    if (activity == PetActivity::typing && isRestful(previous)) wakeBoostPending_ = true;
    applyActivity();
}

void PetView::applyActivity() {
    auto& L = layers_;
    L.sparkleLayer->setBirthRate(0);

    // Eyes close toward the line 3 points above the centre, which is their middle at 52 points.
    EyeLook look = eyeLook(activity_);
    double fixedLine = bounds().midY() + 3;
    auto squint = anim::Transform::pose(0, (1 - look.openness) * fixedLine, 0, 1, look.openness);
    L.leftEye->setTransform(squint);
    L.rightEye->setTransform(squint);
    L.leftPupil->setOpacity(look.pupilOpacity);
    L.rightPupil->setOpacity(look.pupilOpacity);

    updateGripPaws();
    updateFreePaws();

    if (!model::CursorAttentionEngine::isEligible(activity_)) {
        // Any cursor lean ends at once.
        anim::Transaction::withoutActions([&] {
            L.attentionLayer->setTransform(anim::Transform::identity());
            L.furEchoLayer->setOpacity(0.16);
        });
        cursorWasNear_ = false;
    }

    applyHomePose(true);
    applyAmbientAnimation();
    applySecondaryMotion();
    updateSceneDecor();

    if (activity_ != PetActivity::roaming && activity_ != PetActivity::chasing && isTravelling_) stopTravel();
    if (activity_ == PetActivity::celebrating) celebrate();
    if (activity_ == PetActivity::peeking) playHomePeek();
}

void PetView::refreshForAccessibilityOptions() {
    // A hidden pet picks the setting up when it is shown again.
    if (!presentationActive_) return;
    auto& L = layers_;
    for (const auto& layer : {L.homePoseLayer, L.ambientLayer, L.actionLayer, L.attentionLayer, L.interactionLayer,
                              L.secondaryLayer, L.faceLayoutLayer, L.faceLayer, L.pawLayer, L.gripLayer})
        layer->removeAllAnimations();
    L.shadowLayer->removeAllAnimations();
    L.furEchoLayer->removeAllAnimations();
    anim::Transaction::withoutActions([&] {
        L.attentionLayer->setTransform(anim::Transform::identity());
        L.furEchoLayer->setOpacity(0.16);
    });
    cursorWasNear_ = false;
    applyActivity();
    anim::Transaction::animate(0, [&] { applyFaceOffset(); });
    updateFreePaws();
}

}  // namespace pets
