#include "pets/view/PetView.h"

#include "anim/Transaction.h"
#include "model/L10n.h"
#include "model/PetCountSign.h"
#include "platform/Services.h"

namespace pets {

PetView::PetView(model::PetProfile profile) : profile_(std::move(profile)) {
    buildLayers();
    scheduleBlink();
    startGazeTracking();
    scheduleMicroMotion();

    // Both observers hop to a later turn of the loop, as the desktop's own notifications may
    // arrive in the middle of other work.
    displayOptionsObserver_ = platform::notificationCenter().addObserver(
        platform::notifications::reduceMotionChanged,
        [this] { platform::mainLoop().post(weakly([this] { refreshForAccessibilityOptions(); })); });
    languageObserver_ = platform::notificationCenter().addObserver(model::L10n::tuftleLanguageDidChange, [this] {
        platform::mainLoop().post(weakly([this] {
            layers_.signCaptionLayer->setString(model::L10n::t("今日按键"));
            if (displayedCount_) layers_.signTextLayer->setString(model::PetCountSign::label(*displayedCount_));
        }));
    });

    // The first look is set, not animated.
    anim::Transaction::withoutActions([&] {
        applyActivity();
        layout();
    });
}

PetView::~PetView() {
    for (auto* timer : {&blinkTimer_, &gazeTimer_, &microMotionTimer_})
        if (*timer) (*timer)->invalidate();
    displayOptionsObserver_.cancel();
    languageObserver_.cancel();
}

void PetView::setFrame(const platform::Rect& frame) {
    bool resized = frame.size != frame_.size;
    frame_ = frame;
    if (resized)
        layout();
    else
        anim::Transaction::withoutActions([&] { layers_.root->setFrame(frame_); });
}

std::function<void()> PetView::weakly(std::function<void()> body) const {
    return [alive = std::weak_ptr<int>(life_), body = std::move(body)] {
        if (alive.lock()) body();
    };
}

bool PetView::reduceMotion() {
    // Read at each call: the desktop setting may change at any time.
    auto* accessibility = platform::services().accessibility;
    return accessibility && accessibility->reduceMotion();
}

}  // namespace pets
