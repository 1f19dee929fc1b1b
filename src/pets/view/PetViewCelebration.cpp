#include <cmath>
#include <numbers>
#include <vector>

#include "anim/Path.h"
#include "anim/Transaction.h"
#include "model/PetHomeRules.h"
#include "pets/view/PetView.h"

namespace pets {
namespace {

using anim::Animation;
using anim::Transform;
using model::PetActivity;

// An eight-pointed star in a 16-point box, starting at its rightmost point.
anim::Path highFiveStar() {
    std::vector<platform::Point> vertices;
    for (int k = 0; k < 16; ++k) {
        double angle = k * std::numbers::pi / 8;
        double radius = k % 2 == 0 ? 8 : 3.2;
        vertices.push_back({8 + radius * std::cos(angle), 8 + radius * std::sin(angle)});
    }
    return anim::Path::polygon(vertices);
}

}  // namespace

void PetView::celebrate() {
    // The sparkles flow until the next activity is applied.
    layers_.sparkleLayer->setBirthRate(reduceMotion() ? 0 : 1);
    if (reduceMotion()) return;
    // A tilted hop, a landing tilt the other way and a squash, twice.
    auto hop = Animation::keyframes("transform",
                                    {Transform::identity(), Transform::pose(0, 8, -0.1, 0.9, 1.12),
                                     Transform::pose(0, 3, 0.09, 0.96, 1.05), Transform::pose(0, 0, 0, 1.08, 0.92),
                                     Transform::identity()},
                                    0.9)
                   .setKeyTimes({0, 0.24, 0.48, 0.72, 1})
                   .setRepeatCount(2)
                   .setTimingFunction(anim::TimingFunction::easeInEaseOut());
    layers_.actionLayer->addAnimation(hop, "celebrate");
}

void PetView::playHighFiveBurst(bool towardRight) {
    if (reduceMotion()) return;
    auto& L = layers_;
    // The flash shows beside the body on the partner's side; it is placed, not flown there.
    anim::Transaction::withoutActions([&] {
        L.highFiveLayer->setFrame({towardRight ? 35.0 : 1.0, 21, 16, 16});
        L.highFiveLayer->setPath(highFiveStar());
    });
    L.highFiveLayer->addAnimation(
        Animation::keyframes("opacity", {0.0, 1.0, 0.95, 0.0}, 0.62).setKeyTimes({0, 0.25, 0.48, 1}), "highFiveFlash");
    L.highFiveLayer->addAnimation(
        Animation::keyframes("transform.scale", {0.35, 1.42, 1.0, 0.65}, 0.62).setKeyTimes({0, 0.27, 0.55, 1}),
        "highFivePop");
    // The paw reaches up and out toward the partner.
    const double g = towardRight ? 1 : -1;
    auto slap =
        Animation::keyframes(
            "transform.translation",
            {platform::Point{0, 0}, platform::Point{7 * g, 8}, platform::Point{4 * g, 10}, platform::Point{0, 0}}, 0.65)
            .setKeyTimes({0, 0.25, 0.48, 1});
    (towardRight ? L.rightPaw : L.leftPaw)->addAnimation(slap, "highFiveSlap");
    auto recoil = Animation::keyframes("transform",
                                       {Transform::identity(), Transform::pose(0, 0, 0, 0.91, 1.08),
                                        Transform::pose(0, -1, 0, 1.07, 0.94), Transform::identity()},
                                       0.68)
                      .setKeyTimes({0, 0.27, 0.63, 1});
    L.actionLayer->addAnimation(recoil, "highFiveRecoil");
}

void PetView::replayPreview(PetActivity activity, model::KeyboardReactionStyle keyboardStyle) {
    auto& L = layers_;
    for (const auto& layer :
         {L.actionLayer, L.ambientLayer, L.secondaryLayer, L.interactionLayer, L.faceLayer, L.pawLayer})
        layer->removeAllAnimations();
    setHomeAttached(model::PetHomePoses::contains(activity), false);
    // Applied exactly once, whether or not the activity changes.
    if (activity == activity_)
        applyActivity();
    else
        setActivity(activity);

    switch (activity) {
        case PetActivity::home:
            settleAtHome();
            break;
        case PetActivity::roaming:
            startTravel(1, 0.3);
            break;
        case PetActivity::chasing:
            startTravel(1, 0.21);
            break;
        case PetActivity::typing:
            reactToKeyPress(keyboardStyle, 0.68);
            break;
        case PetActivity::celebrating:
        case PetActivity::waking:
        case PetActivity::playing:
            celebrate();
            break;
        case PetActivity::highFiving:
            playHighFiveBurst(profile_.id == 0);
            break;
        case PetActivity::eating:
        case PetActivity::laughing:
        case PetActivity::crying:
            playSceneAccent();
            break;
        case PetActivity::showingCount:
            showCount(128);
            break;
        default:
            break;
    }
}

}  // namespace pets
