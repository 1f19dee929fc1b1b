#include "anim/MediaTime.h"
#include "anim/Path.h"
#include "pets/view/PetView.h"

namespace pets {

using anim::Animation;
using anim::Transform;
using model::PetActivity;

void PetView::updateSceneDecor() {
    auto& L = layers_;
    const PetActivity a = activity_;
    // Plain property changes: they follow the caller's transaction.
    double snack = a == PetActivity::eating ? 1 : 0;
    L.snackLayer->setOpacity(snack);
    L.snackDetailLayer->setOpacity(snack);
    bool mouth = a == PetActivity::eating || a == PetActivity::laughing || a == PetActivity::crying;
    L.mouthLayer->setOpacity(mouth ? 1 : 0);
    platform::Rect mouthShape{23, 14, 6, 3.2};
    if (a == PetActivity::laughing) mouthShape = {21, 12, 10, 6};
    if (a == PetActivity::crying) mouthShape = {24, 12, 4, 5};
    L.mouthLayer->setPath(anim::Path::ellipse(mouthShape));
    double tears = a == PetActivity::crying ? 1 : 0;
    L.leftTearLayer->setOpacity(tears);
    L.rightTearLayer->setOpacity(tears);
    // Only its accent ever shows the splash, and only under a crying pet: its flashes would
    // otherwise go on under a pet that no longer cries.
    L.tearSplashLayer->setOpacity(0);
    if (a != PetActivity::crying) L.tearSplashLayer->removeAnimation("tearSplash");
    double sign = a == PetActivity::showingCount ? 1 : 0;
    for (const auto& layer : std::initializer_list<std::shared_ptr<anim::Layer>>{L.signLayer, L.signTextLayer,
                                                                                 L.signCaptionLayer, L.signHandsLayer})
        layer->setOpacity(sign);

    if (a == PetActivity::eating || a == PetActivity::laughing || a == PetActivity::crying ||
        a == PetActivity::showingCount) {
        playSceneAccent();
        return;
    }
    for (const auto& layer : std::initializer_list<std::shared_ptr<anim::Layer>>{
             L.snackLayer, L.snackDetailLayer, L.mouthLayer, L.leftTearLayer, L.rightTearLayer, L.signLayer,
             L.signTextLayer, L.signCaptionLayer, L.signHandsLayer})
        layer->removeAllAnimations();
}

void PetView::playSceneAccent() {
    if (reduceMotion()) return;
    auto& L = layers_;
    // Scaled first, then moved; no rotation.
    auto ts = [](double tx, double ty, double sx, double sy) { return Transform::pose(tx, ty, 0, sx, sy); };
    const Transform I = Transform::identity();
    switch (activity_) {
        case PetActivity::eating: {
            // Four chews while the snack shrinks away in bites; both end together.
            L.actionLayer->addAnimation(
                Animation::keyframes("transform", {I, ts(0, -1.5, 0.92, 1.08), ts(0, 0.5, 1.04, 0.96), I}, 0.55)
                    .setKeyTimes({0, 0.32, 0.65, 1})
                    .setRepeatCount(4),
                "sceneAccent");
            auto bite = Animation::keyframes(
                            "transform", {I, ts(-1, 0, 0.88, 0.88), ts(-3, 0, 0.75, 0.75), ts(-5, 0, 0.58, 0.58)}, 2.2)
                            .setKeyTimes({0, 0.35, 0.68, 1});
            L.snackLayer->addAnimation(bite, "bite");
            L.snackDetailLayer->addAnimation(bite, "bite");
            break;
        }
        case PetActivity::laughing:
            L.actionLayer->addAnimation(
                Animation::keyframes("transform", {I, ts(0, -1.2, 1.07, 0.93), ts(0, 1.9, 0.96, 1.07), I}, 0.5)
                    .setKeyTimes({0, 0.28, 0.65, 1})
                    .setRepeatCount(3),
                "sceneAccent");
            animateShadowPulse(0.5);
            break;
        case PetActivity::crying: {
            // The right tear falls a little after the left; the splash flashes with the left one.
            const double now = anim::currentMediaTime();
            auto tear = [&](double delay) {
                return Animation::keyframes("transform.translation.y", {5.0, 1.0, -9.0, -13.0}, 1.05)
                    .setKeyTimes({0, 0.25, 0.7, 1})
                    .setRepeatCount(3)
                    .setBeginTime(now + delay);
            };
            L.leftTearLayer->addAnimation(tear(0), "tear");
            L.rightTearLayer->addAnimation(tear(0.24), "tear");
            L.actionLayer->addAnimation(
                Animation::keyframes("transform", {I, ts(-0.8, 0, 0.96, 1.05), ts(0.8, 0, 1.04, 0.96), I}, 0.72)
                    .setKeyTimes({0, 0.27, 0.65, 1})
                    .setRepeatCount(4),
                "crySob");
            L.tearSplashLayer->addAnimation(Animation::keyframes("opacity", {0.0, 0.0, 0.75, 0.0}, 1.05)
                                                .setKeyTimes({0, 0.66, 0.82, 1})
                                                .setRepeatCount(3),
                                            "tearSplash");
            break;
        }
        case PetActivity::showingCount: {
            auto raise = Animation::keyframes("transform", {ts(0, -11, 0.2, 0.2), ts(0, 1, 1.08, 1.08), I}, 0.47)
                             .setKeyTimes({0, 0.7, 1})
                             .setTimingFunction(anim::TimingFunction::easeOut());
            for (const auto& layer : std::initializer_list<std::shared_ptr<anim::Layer>>{
                     L.signLayer, L.signTextLayer, L.signCaptionLayer, L.signHandsLayer})
                layer->addAnimation(raise, "raiseSign");
            break;
        }
        default:
            break;
    }
}

}  // namespace pets
