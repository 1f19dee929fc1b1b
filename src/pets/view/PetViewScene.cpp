#include "anim/Path.h"
#include "pets/view/PetView.h"

namespace pets {

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
    // Only its accent ever shows the splash.
    L.tearSplashLayer->setOpacity(0);
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

// Chewing, laughing, sobbing and raising the sign are played by the scene behaviour; until it
// is in place the props simply show.
void PetView::playSceneAccent() {}

}  // namespace pets
