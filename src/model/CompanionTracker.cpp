#include "model/CompanionTracker.h"

#include "model/AppModel.h"

namespace model {
namespace {

constexpr double kMinuteInterval = 60.0;  // s
constexpr double kMinuteTolerance = 8.0;  // s
constexpr double kFocusInterval = 1.0;    // s
constexpr double kFocusTolerance = 0.15;  // s
constexpr double kCreditPerTick = 60.0;   // s, whatever time really passed

}  // namespace

std::shared_ptr<CompanionTracker> CompanionTracker::create(AppModel& model) {
    return std::shared_ptr<CompanionTracker>(new CompanionTracker(model));
}

void CompanionTracker::start() {
    if (companionTimer_) return;
    std::weak_ptr<CompanionTracker> weakSelf = weak_from_this();
    platform::MainLoop& loop = model_.mainLoop();
    companionTimer_ = loop.schedule(kMinuteInterval, kMinuteTolerance, true, [weakSelf, &loop] {
        loop.post([weakSelf] {
            if (auto self = weakSelf.lock()) self->minuteTick();
        });
    });
    // The current value comes at once: a session restored at launch gets its countdown now.
    cancellables_.push_back(model_.isFocusActive.subscribe([weakSelf](const bool& active) {
        if (auto self = weakSelf.lock()) self->focusActiveChanged(active);
    }));
}

void CompanionTracker::focusActiveChanged(bool active) {
    if (lastFocusActive_ == active) return;
    lastFocusActive_ = active;
    if (active) {
        startFocusTimer();
    } else {
        stopFocusTimer();
    }
}

void CompanionTracker::minuteTick() {
    if (model_.petsVisible.get() && !model_.isHiddenForFullScreen.get()) model_.recordCompanion(kCreditPerTick);
    model_.evaluateGentleReminders(model_.mainLoop().now());
}

void CompanionTracker::startFocusTimer() {
    if (focusTimer_) return;
    platform::MainLoop& loop = model_.mainLoop();
    model_.updateFocusCountdown(loop.now());
    // That update may have ended the session already (one restored with a moment left): a
    // timer started now would tick on with no session to count down.
    if (!model_.isFocusActive.get()) return;
    std::weak_ptr<CompanionTracker> weakSelf = weak_from_this();
    focusTimer_ = loop.schedule(kFocusInterval, kFocusTolerance, true, [weakSelf, &loop] {
        loop.post([weakSelf, &loop] {
            if (auto self = weakSelf.lock()) self->model_.updateFocusCountdown(loop.now());
        });
    });
}

void CompanionTracker::stopFocusTimer() {
    if (!focusTimer_) return;
    focusTimer_->invalidate();
    focusTimer_.reset();
}

}  // namespace model
