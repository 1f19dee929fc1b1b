// The behaviour tick: every few seconds at most one autonomous behaviour, chosen in a fixed
// order of precedence, and the times at which each kind may next happen.
#include <algorithm>
#include <cmath>
#include <utility>

#include "model/AppModel.h"
#include "model/PetChoiceRules.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using model::PetActivity;
using model::PetClipKind;

// Seeding: the second pet's first scene and pose come a little after the first pet's.
constexpr double kInitialSceneStagger = 8;
constexpr double kLaterSceneStagger = 4;
constexpr double kInitialSceneShare = 0.52;
constexpr double kLaterSceneShare = 0.4;
constexpr double kLaterSceneCap = 12;
constexpr double kAmbientStagger = 4;
constexpr double kFirstAmbient = 8;
constexpr double kInitialRelationshipShare = 0.48;
constexpr double kLaterRelationshipShare = 0.4;
constexpr double kLaterRelationshipCap = 18;

constexpr double kOwnAppWalkRetry = 4;
constexpr double kFailedWalkRetry = 12;
constexpr double kRelationshipBusy = 6;
// A typing pet keeps its look while the user is still at it.
constexpr double kTypingKeptIdle = 2;
constexpr double kAmbientJitter = 8;
constexpr double kRollLow = 0.69;
constexpr double kDreamRoll = 0.82;
constexpr double kIdleRoll = 0.86;
constexpr double kRestMove = 0.7;
constexpr double kReattachDelay = 0.72;

double draw(const model::ClosedRange& range) {
    return platform::random().uniform(range.lowerBound, range.upperBound);
}

double ambientBaseInterval(model::PetActivityLevel level) {
    switch (level) {
        case model::PetActivityLevel::quiet:
            return 25;
        case model::PetActivityLevel::natural:
            return 17;
        case model::PetActivityLevel::lively:
            return 11;
    }
    return 17;
}

// Idle seconds after which a pet sleeps and dozes: the calm pet tires sooner.
struct RestThresholds {
    double sleep;
    double doze;
};

RestThresholds restThresholds(bool energetic) {
    return energetic ? RestThresholds{330, 230} : RestThresholds{210, 135};
}

bool isRestPose(PetActivity a) {
    return a == PetActivity::drowsy || a == PetActivity::sleeping || a == PetActivity::dreaming;
}

}  // namespace

void PetWindowCoordinator::rescheduleAutonomousScenes(bool initial, std::optional<int> petCount) {
    const double t = now();
    const auto cadence = model_.cadenceProfile();
    const int n = std::min({petCount.value_or(model_.petCount.get()), int(panels.size()), kPetSlots});
    const double stagger = initial ? kInitialSceneStagger : kLaterSceneStagger;
    for (int i = 0; i < n; ++i) {
        const double v = draw(cadence.sceneInterval);
        const double offset = initial ? kInitialSceneShare * v : std::min(kLaterSceneShare * v, kLaterSceneCap);
        nextSceneAt[size_t(i)] = t + stagger * i + offset;
        nextAmbientPoseAt[size_t(i)] = t + kAmbientStagger * i + kFirstAmbient;
    }
    const double r = draw(cadence.relationshipInterval);
    nextRelationshipAt =
        t + (initial ? kInitialRelationshipShare * r : std::min(kLaterRelationshipShare * r, kLaterRelationshipCap));
}

void PetWindowCoordinator::advanceBehaviors() {
    if (!petsShown() || int(homes.size()) != model_.petCount.get()) return;
    if (pendingReminder && canShowReminder() && !activeMilestonePetID) {
        const auto action = *std::exchange(pendingReminder, std::nullopt);
        presentReminder(action);
        return;
    }
    if (now() < desktopDemoUntil) return;
    if (explicitHomeHoldUntil) {
        if (*explicitHomeHoldUntil > now()) {
            holdPetsAtHome();
            return;
        }
        explicitHomeHoldUntil.reset();
    }

    const double t = now();
    const std::vector<int> ready = readyPetIDs(t);
    if (ready.empty()) return;
    const double idle = idleSeconds();
    if (model_.isFocusActive.get()) {
        for (int pet : ready) {
            PetView& view = *petViews[size_t(pet)];
            if (view.isHomeAttached()) view.setActivity(pet == 0 ? PetActivity::focusing : PetActivity::drowsy);
        }
        return;
    }
    if (tryWindowWalk(ready) || tryRelationship(ready, idle, t)) return;

    const auto pet = model::PetBehaviorTurnPolicy::nextPetID(ready, behaviorTurn);
    if (!pet) return;
    ++behaviorTurn;
    if (t >= nextSceneAt[size_t(*pet)]) {
        playNextLifeScene(*pet, t);
    } else if (t >= nextAmbientPoseAt[size_t(*pet)]) {
        applyAmbientPose(*pet, idle, t);
    }
}

void PetWindowCoordinator::holdPetsAtHome() {
    const int n = std::min(model_.petCount.get(), int(panels.size()));
    for (int i = 0; i < n; ++i) {
        PetView& view = *petViews[size_t(i)];
        if (view.activity() == PetActivity::dragged || !mayStartClip(PetClipKind::ambient, i)) continue;
        if (model_.isFocusActive.get()) {
            view.setActivity(i == 0 ? PetActivity::focusing : PetActivity::drowsy);
        } else {
            view.setActivity(PetActivity::home);
        }
    }
}

std::vector<int> PetWindowCoordinator::readyPetIDs(double at) const {
    std::vector<PetActivity> activities;
    for (const auto& view : petViews) activities.push_back(view->activity());
    std::vector<int> ready;
    for (int pet :
         model::PetBehaviorTurnPolicy::eligiblePetIDs(model_.petCount.get(), activities, manuallyPlacedPetIDs)) {
        if (!activeWindowWalks.contains(pet) && sceneBusyUntil[size_t(pet)] <= at &&
            mayStartClip(PetClipKind::ambient, pet))
            ready.push_back(pet);
    }
    return ready;
}

// The desktop's idle time, or the last counted key when that came later. A desktop that cannot
// tell counts as attended: pets that fall asleep while the user works would be worse.
double PetWindowCoordinator::idleSeconds() const {
    double idle = 0;
    if (auto* source = platform::services().idleTime)
        if (auto seconds = source->secondsSinceLastInput()) idle = *seconds;
    // A key stamp in the future (the clock was set back) counts as now.
    if (auto last = model_.lastKeyAt.get())
        idle = std::min(idle, std::max(0.0, platform::mainLoop().now().timeIntervalSince(*last)));
    return idle;
}

bool PetWindowCoordinator::tryWindowWalk(const std::vector<int>& ready) {
    if (!model_.windowWalkingEnabled.get() || !activeWindowWalks.empty() || now() < nextWindowWalkAttemptAt)
        return false;
    const auto pet = model::PetBehaviorTurnPolicy::nextPetID(ready, behaviorTurn);
    if (!pet) return false;
    // The user is in our own settings or panel: nothing of theirs to walk on.
    if (const auto front = platform::windowList().frontmostApplicationPid();
        front && *front == platform::application().processId()) {
        nextWindowWalkAttemptAt = now() + kOwnAppWalkRetry;
        return false;
    }
    if (!startWindowWalk(*pet)) {
        nextWindowWalkAttemptAt = now() + kFailedWalkRetry;
        return false;
    }
    ++behaviorTurn;
    nextWindowWalkAttemptAt = now() + model_.cadenceProfile().windowWalkInterval;
    return true;
}

bool PetWindowCoordinator::tryRelationship(const std::vector<int>& ready, double idle, double at) {
    const int petCount = model_.petCount.get();
    if (int(ready.size()) != petCount || at < nextRelationshipAt) return false;
    const auto event = model::PetRelationshipEngine::event(petCount, idle, platform::random().unit());
    nextRelationshipAt = at + draw(model_.cadenceProfile().relationshipInterval);
    if (!performRelationship(event)) return false;
    for (int pet : ready) sceneBusyUntil[size_t(pet)] = at + kRelationshipBusy;
    relationshipBusyUntil = at + kRelationshipBusy;
    return true;
}

void PetWindowCoordinator::playNextLifeScene(int petID, double at) {
    const auto i = size_t(petID);
    nextSceneAt[i] = at + draw(model_.cadenceProfile().sceneInterval);
    auto scene = model::selectedLifeScene(model_.activityLevel.get(), platform::random().unit(),
                                          model_.keyCountingEnabled.get());
    // Never the same scene twice in a row.
    if (previousScene[i] == scene)
        scene = scene == model::PetLifeScene::running ? model::PetLifeScene::eating : model::PetLifeScene::running;
    previousScene[i] = scene;
    playLifeScene(scene, petID);
}

void PetWindowCoordinator::applyAmbientPose(int petID, double idle, double at) {
    const auto i = size_t(petID);
    const auto level = model_.activityLevel.get();
    const double factor = model::PetActivityTuning::clampFactor(model_.tuning(level).sceneFrequency);
    nextAmbientPoseAt[i] = at + (ambientBaseInterval(level) + platform::random().uniform(0, kAmbientJitter)) / factor;

    PetView& view = *petViews[i];
    const PetActivity current = view.activity();
    const double roll = platform::random().uniform(kRollLow, 1.0);
    const auto limits = restThresholds(view.profile().energetic);
    PetActivity pose = PetActivity::idle;
    if (idle > limits.sleep) {
        const bool asleep = current == PetActivity::sleeping || current == PetActivity::dreaming;
        pose = asleep && roll > kDreamRoll ? PetActivity::dreaming : PetActivity::sleeping;
    } else if (idle > limits.doze) {
        pose = PetActivity::drowsy;
    } else if (current == PetActivity::typing && idle < kTypingKeptIdle) {
        pose = PetActivity::typing;
    } else if (roll > kIdleRoll) {
        pose = PetActivity::peeking;
    }
    view.setActivity(pose);

    if (isRestPose(pose)) {
        const PetHome home = homes[i];
        move(panels[i], home.origin, true, kRestMove, false, std::nullopt);
        platform::mainLoop().after(kReattachDelay, weakly([this, petID, home] { reattachAfterRest(petID, home); }));
    } else if (pose == PetActivity::peeking) {
        // The energetic pet scoots on every third turn, the calm one peeks on every third.
        if (view.profile().energetic == (behaviorTurn % 3 == 0)) {
            playHomeScoot(petID);
        } else {
            playHomePeek(petID);
        }
    }
}

void PetWindowCoordinator::reattachAfterRest(int petID, const PetHome& home) {
    const auto i = size_t(petID);
    if (i >= homes.size() || homes[i] != home || i >= petViews.size()) return;
    const PetActivity activity = petViews[i]->activity();
    if (!isRestPose(activity) && activity != PetActivity::home) return;
    petViews[i]->setHomeAttached(true, true);
    setGrip(petID, true, true);
}

}  // namespace pets
