// Desktop demonstrations: one life scene, one pose, or the whole repertoire on a timetable,
// played on the real desktop while the behaviour tick pauses.
#include <vector>

#include "anim/Transaction.h"
#include "model/AppModel.h"
#include "model/PetHomeRules.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using model::PetActivity;

constexpr double kSceneSpacing = 7;
constexpr double kPosePhaseStart = 42;
constexpr double kPoseSpacing = 2.6;
constexpr double kTickResumeMargin = 3;
constexpr double kSceneStagger = 0.42;
constexpr double kPoseStagger = 0.35;
constexpr double kPoseMove = 0.3;
constexpr double kPoseBusy = 3.1;
constexpr double kPoseHold = 2.2;
constexpr double kGripDuration = 0.18;

}  // namespace

bool PetWindowCoordinator::mayDemonstrate() const {
    return model_.petsVisible.get() && !model_.isHiddenForFullScreen.get() &&
           std::min<int>(model_.petCount.get(), int(panels.size())) > 0;
}

std::vector<int> PetWindowCoordinator::demoPets(model::DesktopDemoTarget target) const {
    using model::DesktopDemoTarget;
    if (model_.petCount.get() < 2 || target == DesktopDemoTarget::first) return {0};
    if (target == DesktopDemoTarget::second) return {1};
    return {0, 1};
}

bool PetWindowCoordinator::demonstrateAll(model::DesktopDemoTarget target) {
    if (!mayDemonstrate()) return false;
    const Uuid token = newToken();
    desktopDemoGeneration = token;
    std::vector<PetActivity> poses;
    for (PetActivity pose : model::allCases<PetActivity>)
        if (pose != PetActivity::dragged) poses.push_back(pose);
    const double end = kPosePhaseStart + kPoseSpacing * double(poses.size());
    desktopDemoUntil = now() + end + kTickResumeMargin;

    auto& loop = platform::mainLoop();
    auto step = [this, token](std::function<void()> body) {
        return weakly([this, token, body = std::move(body)] {
            if (desktopDemoGeneration == token) body();
        });
    };
    int i = 0;
    for (model::PetLifeScene scene : model::allCases<model::PetLifeScene>)
        loop.after(kSceneSpacing * i++, step([this, scene, target] { performDesktopScene(scene, target); }));
    for (size_t j = 0; j < poses.size(); ++j)
        loop.after(kPosePhaseStart + kPoseSpacing * double(j),
                   step([this, pose = poses[j], target] { performDesktopPose(pose, target); }));
    loop.after(end, step([this] { sendPetsHome(true, false); }));
    return true;
}

bool PetWindowCoordinator::performDesktopScene(model::PetLifeScene scene, model::DesktopDemoTarget target) {
    if (!mayDemonstrate()) return false;
    // Sending the pets home before a staggered pet's turn ends that turn too.
    const Uuid token = desktopDemoGeneration;
    const auto pets = demoPets(target);
    for (size_t i = 0; i < pets.size(); ++i) {
        platform::mainLoop().after(kSceneStagger * double(i), weakly([this, token, scene, id = pets[i]] {
                                       if (desktopDemoGeneration != token || id >= model_.petCount.get()) return;
                                       invalidateMovement(id);
                                       endManualPlacement(id);
                                       playLifeScene(scene, id);
                                   }));
    }
    return true;
}

bool PetWindowCoordinator::performDesktopPose(model::PetActivity pose, model::DesktopDemoTarget target) {
    if (!mayDemonstrate() || pose == PetActivity::dragged) return false;
    const Uuid token = desktopDemoGeneration;
    const auto pets = demoPets(target);
    for (size_t i = 0; i < pets.size(); ++i) {
        platform::mainLoop().after(kPoseStagger * double(i), weakly([this, token, pose, id = pets[i]] {
                                       if (desktopDemoGeneration == token) performDesktopPose(pose, id);
                                   }));
    }
    return true;
}

void PetWindowCoordinator::performDesktopPose(model::PetActivity pose, int p) {
    // A pet without a home entry (homes not yet rebuilt for a new count) has nowhere to pose.
    if (p >= model_.petCount.get() || size_t(p) >= panels.size() || size_t(p) >= petViews.size() ||
        size_t(p) >= homes.size())
        return;
    invalidateMovement(p);
    endManualPlacement(p);
    const PetHome home = homes[size_t(p)];
    PetView& view = *petViews[size_t(p)];
    const auto& panel = panels[size_t(p)];
    if (model::PetHomePoses::contains(pose)) {
        move(panel, home.origin, true, kPoseMove, false, std::nullopt);
        view.setHomeAttached(true, true);
        view.setGrippingHome(view.isHomeAttached());
        anim::Transaction::animate(reduceMotion() ? 0 : kGripDuration, [&] { view.updateFreePaws(); });
    } else {
        view.leaveHome();
        view.setHomeAttached(false, true);
        move(panel, home.approachOrigin, true, kPoseMove, false, std::nullopt);
    }

    if (pose == PetActivity::showingCount) {
        view.showCount(model_.todayKeyCount());
    } else {
        view.setActivity(pose);
        if (pose == PetActivity::highFiving) view.playHighFiveBurst(p == 0);
        if (pose == PetActivity::celebrating) view.celebrate();
        if (pose == PetActivity::typing) view.reactToKeyPress(model::KeyboardReactionStyle::bounce, 0.65);
    }
    sceneBusyUntil[size_t(p)] = now() + kPoseBusy;
    const Uuid token = sceneGenerations[size_t(p)];
    platform::mainLoop().after(kPoseHold, weakly([this, token, p] {
                                   if (sceneGenerations[size_t(p)] == token) movePetHome(p, true);
                               }));
}

}  // namespace pets
