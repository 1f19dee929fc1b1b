// A pet's solo plays: the life scenes with their timed beats, the roam of the running scene,
// and the small peek and scoot at home.
#include <algorithm>
#include <array>
#include <cmath>

#include "model/AppModel.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/coordination/ScreenHomeResolver.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using model::PetActivity;
using model::PetClipKind;
using model::PetLifeScene;
using platform::Point;

// The clip and the busy time outlast the scene a little: the walk home follows it.
constexpr double kSceneMargin = 2;
constexpr double kLeaveHomeGlide = 0.46;
constexpr double kFinishedBusy = 2;

// Roaming.
constexpr double kRoamInset = 12;
constexpr double kRoamRise = 46;
constexpr double kRoamSpeedFactor = 1.2;
constexpr double kRoamStartup = 0.26;
constexpr double kMinRoam = 0.58;
constexpr double kStrideLength = 36;
constexpr double kMinStride = 0.19;
constexpr double kMaxStride = 0.49;
constexpr double kRoamSearchAfter = 0.42;
constexpr double kRoamFinishAfter = 1.05;

// Peeks and scoots.
constexpr double kAwayFromHome = 5;
constexpr double kScootShift = 9;

double draw(const model::ClosedRange& range) {
    return platform::random().uniform(range.lowerBound, range.upperBound);
}

struct Beat {
    double at;
    PetActivity activity;
};

// A scene's script: its length, whether it leaves home and with which look, and its beats.
struct SceneScript {
    double duration;
    bool leavesHome;
    std::optional<PetActivity> opening;
    std::array<std::optional<Beat>, 2> beats;
};

SceneScript script(PetLifeScene scene) {
    using enum PetActivity;
    switch (scene) {
        case PetLifeScene::eating:
            return {3.7, true, searching, {Beat{0.52, eating}, Beat{2.65, stretching}}};
        case PetLifeScene::sleeping:
            return {5.9, false, drowsy, {Beat{0.8, sleeping}, Beat{4.75, waking}}};
        case PetLifeScene::laughing:
            return {2.8, true, greeting, {Beat{0.38, laughing}}};
        case PetLifeScene::crying:
            return {3.5, true, searching, {Beat{0.42, crying}, Beat{2.35, waking}}};
        case PetLifeScene::showingCount:
            return {3.8, true, searching, {}};
        case PetLifeScene::running:
            return {5.2, true, std::nullopt, {}};
    }
    return {};
}
constexpr double kShowCountAt = 0.52;
constexpr double kRoamAt = 0.44;

// The stages of a peek and a scoot after the first move, which the call itself makes. After the
// last one the pet is placed at rest and settles.
struct HomeStage {
    Point PetHome::*target;
    double moveTime;
    double nextAfter;
    bool checksHome;
    bool checksPeeking;
    bool checksPlacement;
};
constexpr std::array kPeekStages{
    HomeStage{&PetHome::eyePeekOrigin, 0.25, 0.56, true, true, true},
    HomeStage{&PetHome::peekOrigin, 0.24, 0.44, true, true, false},
    HomeStage{&PetHome::origin, 0.28, 0.30, true, false, false},
};
constexpr std::array kScootStages{
    HomeStage{&PetHome::origin, 0.35, 0.38, true, true, false},
};
constexpr double kPeekDuck = 0.23;
constexpr double kPeekFirstStage = 0.31;
constexpr double kScootOut = 0.32;
constexpr double kScootFirstStage = 0.72;

}  // namespace

// ---- life scenes

void PetWindowCoordinator::playLifeScene(PetLifeScene scene, int petID) {
    if (petID < 0 || size_t(petID) >= panels.size() || size_t(petID) >= homes.size()) return;
    if (!mayStartClip(PetClipKind::lifeScene, petID)) return;
    const auto i = size_t(petID);
    const Uuid token = newToken();
    sceneGenerations[i] = token;
    // A peek or a walk home of this pet must not pull it back while the scene plays.
    homeMovementGenerations[i] = newToken();
    const SceneScript s = script(scene);
    claimClip(PetClipKind::lifeScene, petID, s.duration + kSceneMargin);
    sceneBusyUntil[i] = now() + s.duration + kSceneMargin;

    PetView& view = *petViews[i];
    if (s.leavesHome) {
        setGrip(petID, false, true);
        view.leaveHome();
        view.setHomeAttached(false, true);
        move(panels[i], homes[i].approachOrigin, true, kLeaveHomeGlide, false, std::nullopt);
    }
    if (s.opening) view.setActivity(*s.opening);

    for (const auto& beat : s.beats)
        if (beat)
            scheduleSceneBeat(petID, token, beat->at,
                              [this, i, activity = beat->activity] { petViews[i]->setActivity(activity); });
    if (scene == PetLifeScene::showingCount)
        scheduleSceneBeat(petID, token, kShowCountAt, [this, i] { petViews[i]->showCount(model_.todayKeyCount()); });
    if (scene == PetLifeScene::running) {
        scheduleSceneBeat(petID, token, kRoamAt, [this, petID, token] { roam(petID, token); });
    } else {
        scheduleSceneBeat(petID, token, s.duration, [this, petID] { finishLifeScene(petID); });
    }
}

void PetWindowCoordinator::scheduleSceneBeat(int petID, Uuid token, double delay, std::function<void()> action) {
    platform::mainLoop().after(delay, weakly([this, petID, token, action = std::move(action)] {
                                   if (sceneGenerations[size_t(petID)] != token || petID >= model_.petCount.get() ||
                                       !model_.petsVisible.get() || model_.isFocusActive.get() ||
                                       manuallyPlacedPetIDs.contains(petID))
                                       return;
                                   action();
                               }));
}

void PetWindowCoordinator::finishLifeScene(int petID) {
    if (petID < 0 || size_t(petID) >= homes.size()) return;
    releaseClip(PetClipKind::lifeScene, petID);
    sceneBusyUntil[size_t(petID)] = now() + kFinishedBusy;
    movePetHome(petID, true);
}

void PetWindowCoordinator::roam(int petID, Uuid token) {
    if (petID < 0 || size_t(petID) >= panels.size() || size_t(petID) >= homes.size()) return;
    const auto i = size_t(petID);
    const PetHome& home = homes[i];
    const auto displays = ScreenHomeResolver::geometries(platform::screenList().screens());
    const auto display = std::find_if(displays.begin(), displays.end(),
                                      [&](const DisplayGeometry& d) { return d.id == home.displayID; });
    if (display == displays.end()) return;

    const platform::Rect area = display->visibleFrame.insetBy(kRoamInset, kRoamInset);
    const Point from = panels[i]->frame().origin;
    const auto cadence = model_.cadenceProfile();
    const double reach = draw(cadence.roamDistance);
    const double dx = platform::random().unit() < 0.5 ? -reach : reach;
    // Away from the edge the pet lives on: down from the top bar, up from the taskbar.
    const double dy = home.kind == model::PetHomeKind::notch ? -kRoamRise : kRoamRise;
    const double length = std::hypot(dx, dy);
    const double upper = cadence.roamDistance.upperBound;
    const double scale = length <= upper ? 1 : upper / length;
    const Point to{std::min(std::max(from.x + dx * scale, area.minX()), area.maxX() - kPetSide),
                   std::min(std::max(from.y + dy * scale, area.minY()), area.maxY() - kPetSide)};

    petViews[i]->setActivity(PetActivity::roaming);
    const double speed = kRoamSpeedFactor * cadence.travelSpeed;
    const double duration = std::max(std::hypot(to.x - from.x, to.y - from.y) / speed + kRoamStartup, kMinRoam);
    move(panels[i], to, true, duration, true, std::clamp(kStrideLength / speed, kMinStride, kMaxStride));
    scheduleSceneBeat(petID, token, duration + kRoamSearchAfter,
                      [this, i] { petViews[i]->setActivity(PetActivity::searching); });
    scheduleSceneBeat(petID, token, duration + kRoamFinishAfter, [this, petID] { finishLifeScene(petID); });
}

// ---- peeks and scoots at home

std::optional<platform::Uuid> PetWindowCoordinator::enterHomeMotion(int petID) {
    if (petID < 0 || size_t(petID) >= homes.size() || size_t(petID) >= panels.size()) return std::nullopt;
    const Point at = panels[size_t(petID)]->frame().origin;
    const Point rest = homes[size_t(petID)].origin;
    if (std::hypot(at.x - rest.x, at.y - rest.y) >= kAwayFromHome) {
        movePetHome(petID, true);
        return std::nullopt;
    }
    const Uuid token = newToken();
    homeMovementGenerations[size_t(petID)] = token;
    return token;
}

void PetWindowCoordinator::playHomePeek(int petID) {
    const auto token = enterHomeMotion(petID);
    if (!token) return;
    const auto i = size_t(petID);
    const PetHome home = homes[i];
    PetView& view = *petViews[i];
    if (reduceMotion()) {
        placePanel(*panels[i], home.origin);
        view.settleAtHome();
        return;
    }
    setGrip(petID, false, true);
    view.setHomeAttached(true, true);
    move(panels[i], home.hiddenOrigin, true, kPeekDuck, false, std::nullopt);
    platform::mainLoop().after(
        kPeekFirstStage, weakly([this, petID, token = *token, home] { homeMotionStage(true, 0, petID, token, home); }));
}

void PetWindowCoordinator::playHomeScoot(int petID) {
    const auto token = enterHomeMotion(petID);
    if (!token) return;
    const auto i = size_t(petID);
    const PetHome home = homes[i];
    PetView& view = *petViews[i];
    if (reduceMotion()) {
        view.settleAtHome();
        return;
    }
    // Along the edge: the first pet to the left or down, the second to the right or up.
    const double shift = petID == 0 ? -kScootShift : kScootShift;
    const Point target = home.alongEdge(home.origin, shift);
    view.setHomeAttached(true, true);
    setGrip(petID, true, true);
    move(panels[i], target, true, kScootOut, false, std::nullopt);
    platform::mainLoop().after(kScootFirstStage, weakly([this, petID, token = *token, home] {
                                   homeMotionStage(false, 0, petID, token, home);
                               }));
}

// A stage whose checks fail ends the motion where the last move left the pet: whatever changed
// the state takes the pet over.
void PetWindowCoordinator::homeMotionStage(bool peek, size_t stage, int petID, Uuid token, const PetHome& home) {
    const auto i = size_t(petID);
    if (homeMovementGenerations[i] != token || i >= panels.size() || i >= petViews.size()) return;
    const size_t count = peek ? kPeekStages.size() : kScootStages.size();
    if (stage >= count) {
        move(panels[i], home.origin, false, 0, false, std::nullopt);
        petViews[i]->settleAtHome();
        return;
    }
    const HomeStage& s = peek ? kPeekStages[stage] : kScootStages[stage];
    if (s.checksHome && (i >= homes.size() || homes[i] != home)) return;
    if (s.checksPeeking && petViews[i]->activity() != PetActivity::peeking) return;
    if (s.checksPlacement && manuallyPlacedPetIDs.contains(petID)) return;
    move(panels[i], home.*s.target, true, s.moveTime, false, std::nullopt);
    platform::mainLoop().after(s.nextAfter, weakly([this, peek, stage, petID, token, home] {
                                   homeMotionStage(peek, stage + 1, petID, token, home);
                               }));
}

}  // namespace pets
