#include <algorithm>
#include <cmath>

#include "anim/Transaction.h"
#include "model/AppModel.h"
#include "model/PetMotionRules.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using platform::Point;

constexpr double kFrameInterval = 1.0 / 30;
// A step may wait up to a frame: it then wakes with the panels' frames and the other pet's step.
constexpr double kFrameTolerance = kFrameInterval;
// Moves this short are placed, not animated.
constexpr double kNegligibleDistance = 0.5;
// One stride of the gait covers about this many points.
constexpr double kStrideLength = 36;
constexpr double kMinStride = 0.19;
constexpr double kMaxStride = 0.49;

// The way home: farther than this the pet walks, nearer it glides.
constexpr double kWalkHomeDistance = 70;
constexpr double kHomeSpeed = 170;
constexpr double kHomeStartup = 0.18;
constexpr double kMinHomeDuration = 0.58;
constexpr double kMaxHomeDuration = 3.2;
constexpr double kArrivalDelay = 0.04;
// The second pet docks a little after the first.
constexpr double kArrivalStagger = 0.12;
constexpr double kAnimatedBusyMargin = 1.5;
constexpr double kPlacedBusyMargin = 0.2;

// A pet within this distance of its home counts as home already.
constexpr double kAlreadyHomeDistance = 1.5;
constexpr double kExplicitHomeHold = 8;

double distance(Point a, Point b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

}  // namespace

std::optional<int> PetWindowCoordinator::petIndex(const PetPanel& panel) const {
    for (size_t i = 0; i < panels.size(); ++i)
        if (panels[i].get() == &panel) return int(i);
    return std::nullopt;
}

// ---- panel motion

void PetWindowCoordinator::move(const std::shared_ptr<PetPanel>& panel, Point to, bool animated, double duration,
                                bool locomotion, std::optional<double> strideDuration) {
    if (!panel) return;
    stopFrameAnimation(*panel);
    const Point from = panel->frame().origin;
    const double length = distance(from, to);
    if (!animated || reduceMotion() || duration <= 0 || length <= kNegligibleDistance) {
        placePanel(*panel, to);
        return;
    }

    const PetPanel* key = panel.get();
    const Uuid token = newToken();
    const double startTime = now();
    frameAnimationTokens[key] = token;

    if (auto petID = petIndex(*panel); locomotion && petID) {
        double stride = kMaxStride;
        if (strideDuration) {
            stride = *strideDuration;
        } else if (const double speed = length / duration; speed >= 1) {
            stride = std::clamp(kStrideLength / speed, kMinStride, kMaxStride);
        }
        petViews[size_t(*petID)]->startTravel(to.x >= from.x ? 1 : -1, stride);
    }

    std::weak_ptr<PetPanel> weakPanel = panel;
    frameAnimationTimers[key] = platform::mainLoop().schedule(
        kFrameInterval, kFrameTolerance, true,
        [this, alive = std::weak_ptr<char>(alive_), weakPanel, key, token, startTime, duration, locomotion, from, to] {
            if (alive.lock()) frameAnimationTick(weakPanel, key, token, startTime, duration, locomotion, from, to);
        });
}

void PetWindowCoordinator::frameAnimationTick(const std::weak_ptr<PetPanel>& weakPanel, const PetPanel* key, Uuid token,
                                              double startTime, double duration, bool locomotion, Point from,
                                              Point to) {
    auto current = frameAnimationTokens.find(key);
    // A newer motion or a stop took this panel over; the timer was retired with it.
    if (current == frameAnimationTokens.end() || current->second != token) return;
    auto panel = weakPanel.lock();
    if (!panel) {
        retireFrameTimer(key);
        return;
    }

    // Elapsed time, not the count of ticks, drives the motion: late ticks do not slow it.
    const double progress = (now() - startTime) / duration;
    Point point;
    if (locomotion) {
        point = model::PetTravelInterpolation::position(from, to, progress);
    } else {
        const double t = std::clamp(progress, 0.0, 1.0);
        const double e = t * t * (3 - 2 * t);
        point = {from.x + (to.x - from.x) * e, from.y + (to.y - from.y) * e};
    }
    placePanel(*panel, point);

    if (progress >= 1) {
        retireFrameTimer(key);
        if (auto petID = petIndex(*panel); locomotion && petID) petViews[size_t(*petID)]->stopTravel();
    }
}

void PetWindowCoordinator::retireFrameTimer(const PetPanel* key) {
    frameAnimationTokens.erase(key);
    auto it = frameAnimationTimers.find(key);
    if (it == frameAnimationTimers.end()) return;
    std::shared_ptr<platform::Timer> timer = std::move(it->second);
    frameAnimationTimers.erase(it);
    timer->invalidate();
    platform::mainLoop().post([timer] {});
}

void PetWindowCoordinator::stopFrameAnimation(const PetPanel& panel) {
    retireFrameTimer(&panel);
    if (auto petID = petIndex(panel)) petViews[size_t(*petID)]->stopTravel();
}

// ---- bringing one pet home

void PetWindowCoordinator::movePetHome(int petID, bool animated) {
    if (!isPetID(petID) || size_t(petID) >= panels.size() || size_t(petID) >= petViews.size() ||
        size_t(petID) >= homes.size())
        return;
    const Uuid token = newToken();
    const PetHome home = homes[size_t(petID)];
    const bool shouldAnimate = animated && !reduceMotion();
    homeMovementGenerations[size_t(petID)] = token;

    const auto& panel = panels[size_t(petID)];
    PetView& view = *petViews[size_t(petID)];
    const Point target = shouldAnimate ? home.approachOrigin : home.origin;
    const double length = distance(panel->frame().origin, target);
    const bool walking = shouldAnimate && length > kWalkHomeDistance;

    view.setActivity(walking ? model::PetActivity::roaming : model::PetActivity::home);
    view.setGrippingHome(false);
    anim::Transaction::animate(0, [&] { view.updateFreePaws(); });
    view.setHomeAttached(!shouldAnimate, false);

    const double duration = std::clamp(length / kHomeSpeed + kHomeStartup, kMinHomeDuration, kMaxHomeDuration);
    sceneBusyUntil[size_t(petID)] = now() + duration + (shouldAnimate ? kAnimatedBusyMargin : kPlacedBusyMargin);

    if (!shouldAnimate) {
        stopFrameAnimation(*panel);
        placePanel(*panel, home.origin);
        petViews[size_t(petID)]->settleAtHome();
        return;
    }
    move(panel, home.approachOrigin, true, duration, walking, std::nullopt);
    platform::mainLoop().after(duration + kArrivalDelay + kArrivalStagger * petID,
                               weakly([this, petID, token, home] { arrivalStep(1, petID, token, home); }));
}

// Docking in stages: slip behind the edge, then the eyes, a lean out, and settle at rest.
void PetWindowCoordinator::arrivalStep(int step, int petID, Uuid token, const PetHome& home) {
    if (!isPetID(petID) || homeMovementGenerations[size_t(petID)] != token) return;
    if (size_t(petID) >= panels.size() || size_t(petID) >= petViews.size()) return;
    const auto& panel = panels[size_t(petID)];
    PetView& view = *petViews[size_t(petID)];

    struct Glide {
        Point to;
        double duration;
        double next;
    };
    Glide glide{};
    switch (step) {
        case 1:
            if (size_t(petID) >= homes.size() || homes[size_t(petID)] != home || petID >= model_.petCount.get()) return;
            view.setHomeAttached(true, true);
            glide = {home.hiddenOrigin, 0.30, 0.31};
            break;
        case 2:
            view.setActivity(model::PetActivity::peeking);
            glide = {home.eyePeekOrigin, 0.27, 0.30};
            break;
        case 3:
            glide = {home.peekOrigin, 0.24, 0.27};
            break;
        case 4:
            glide = {home.origin, 0.28, 0.30};
            break;
        default:
            placePanel(*panel, home.origin);
            petViews[size_t(petID)]->settleAtHome();
            return;
    }
    move(panel, glide.to, true, glide.duration, false, std::nullopt);
    platform::mainLoop().after(glide.next,
                               weakly([this, step, petID, token, home] { arrivalStep(step + 1, petID, token, home); }));
}

// ---- cancelling

void PetWindowCoordinator::invalidateMovement(int petID) {
    if (!isPetID(petID)) return;
    const auto i = size_t(petID);
    if (activeMilestonePetID == petID) {
        activeMilestonePetID.reset();
        pendingMilestones.clear();
    }
    resetDirector(petID);
    if (i < panels.size()) stopFrameAnimation(*panels[i]);
    returnHomeGenerations[i] = newToken();
    homeMovementGenerations[i] = newToken();
    keyboardReactionGenerations[i] = newToken();
    windowWalkGenerations[i] = newToken();
    activeWindowWalks.erase(petID);
    sceneGenerations[i] = newToken();
    sceneBusyUntil[i] = distantPast;
    countSignVisibleUntil[i] = distantPast;
    keyboardSceneReturnPending[i] = false;
}

void PetWindowCoordinator::invalidatePendingMovements() {
    relationshipGeneration = newToken();
    for (int i = 0; i < kPetSlots; ++i) invalidateMovement(i);
}

// ---- the command

model::PetHomeCommandResult PetWindowCoordinator::sendPetsHome(bool animated, bool holdPosition) {
    desktopDemoGeneration = newToken();
    desktopDemoUntil = distantPast;
    // A shown sign goes; a reminder still waiting for its moment is kept, so that automatic
    // returns (leaving full screen, waking, a screen change) never lose it.
    wellbeingGeneration = newToken();
    dismissReminder();

    const int petCount = model_.petCount.get();
    if (int(homes.size()) != petCount) return model::PetHomeCommandResult::unavailable;
    const int n = std::min(petCount, int(panels.size()));
    if (n == 0) return model::PetHomeCommandResult::unavailable;
    const bool hidden = !model_.petsVisible.get() || model_.isHiddenForFullScreen.get();
    bool alreadyHome = true;
    for (int i = 0; i < n; ++i) {
        if (distance(panels[size_t(i)]->frame().origin, homes[size_t(i)].origin) >= kAlreadyHomeDistance) {
            alreadyHome = false;
            break;
        }
    }

    invalidatePendingMovements();
    pendingMilestones.clear();
    for (int i = 0; i < kPetSlots; ++i) endManualPlacement(i);
    if (holdPosition) explicitHomeHoldUntil = now() + kExplicitHomeHold;
    for (int i = 0; i < n; ++i) movePetHome(i, animated);

    if (hidden) return model::PetHomeCommandResult::hidden;
    return alreadyHome ? model::PetHomeCommandResult::alreadyHome : model::PetHomeCommandResult::moved;
}

// ---- a dropped pet's wait before it goes home

void PetWindowCoordinator::scheduleReturnHome(int petID) {
    if (!isPetID(petID)) return;
    const Uuid token = newToken();
    returnHomeGenerations[size_t(petID)] = token;
    double delay = 0;
    switch (model_.dragStayDuration.get()) {
        case model::DragStayDuration::short_:
            delay = 15;
            break;
        case model::DragStayDuration::minute:
            delay = 60;
            break;
        case model::DragStayDuration::untilCalledHome:
            return;
    }
    platform::mainLoop().after(
        delay, weakly([this, petID, token] {
            const auto i = size_t(petID);
            if (returnHomeGenerations[i] != token || i >= petViews.size() || !manuallyPlacedPetIDs.contains(petID) ||
                petViews[i]->activity() == model::PetActivity::dragged || i >= panels.size() || i >= homes.size())
                return;
            // A pet in the middle of something keeps its place for another full wait.
            if (!mayStartClip(model::PetClipKind::ambient, petID)) {
                scheduleReturnHome(petID);
                return;
            }
            endManualPlacement(petID);
            petViews[i]->setActivity(model::PetActivity::home);
            movePetHome(petID, true);
        }));
}

}  // namespace pets
