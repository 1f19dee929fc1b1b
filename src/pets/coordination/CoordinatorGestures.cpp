// Taps, pick-ups and drops: what the coordinator does with a pet view's gestures.
#include <algorithm>
#include <cmath>
#include <utility>

#include "anim/Transaction.h"
#include "model/AppModel.h"
#include "model/PetMotionRules.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/coordination/ScreenHomeResolver.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using model::PetActivity;
using model::PetClipKind;
using platform::Point;
using platform::Rect;

constexpr double kSide = PetWindowCoordinator::kPetSide;
// Kept between a dragged or landing pet and the edges of the screen it is on.
constexpr double kScreenMargin = 4;
constexpr double kMaxThrowSpeed = 720;
constexpr double kThrowLookAhead = 0.075;
constexpr double kPerchThreshold = 18;
constexpr double kLandingGlide = 0.28;
constexpr double kPerchApproach = 0.34;
constexpr double kPerchTuckAt = 0.36;
constexpr double kPerchTuck = 0.25;
constexpr double kPerchSettleAt = 0.65;
constexpr double kHeldClaim = 30;
constexpr double kGreetingSettle = 0.22;
constexpr double kCelebration = 1.3;
// An attached pet this far from its home point is put back on it before it celebrates.
constexpr double kSnapDistance = 4;

double distance(Point a, Point b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

std::vector<Rect> visibleFrames(const std::vector<DisplayGeometry>& displays) {
    std::vector<Rect> frames;
    for (const auto& d : displays) frames.push_back(d.visibleFrame);
    return frames;
}

// Keeps a pet panel inside the visible frame nearest its centre (the earlier frame on a tie).
Point clampIntoNearestFrame(Point p, const std::vector<Rect>& frames) {
    if (frames.empty()) return p;
    const Point c{p.x + kSide / 2, p.y + kSide / 2};
    const Rect* best = nullptr;
    double bestDistance = 0;
    for (const Rect& f : frames) {
        const double d = distance(c, {std::clamp(c.x, f.minX(), f.maxX()), std::clamp(c.y, f.minY(), f.maxY())});
        if (!best || d < bestDistance) {
            best = &f;
            bestDistance = d;
        }
    }
    const Rect& f = *best;
    return {std::min(std::max(p.x, f.minX() + kScreenMargin),
                     std::max(f.minX() + kScreenMargin, f.maxX() - kSide - kScreenMargin)),
            std::min(std::max(p.y, f.minY() + kScreenMargin),
                     std::max(f.minY() + kScreenMargin, f.maxY() - kSide - kScreenMargin))};
}

// How much of a pet perched on the top edge shows: more below a notch, a little more where the
// top bar is a sliver.
double topVisibleDepth(const std::vector<DisplayGeometry>& displays, Point landing) {
    if (displays.empty()) return 26;
    const Point centre{landing.x + kSide / 2, landing.y + kSide / 2};
    auto display = std::find_if(displays.begin(), displays.end(),
                                [&](const DisplayGeometry& d) { return d.visibleFrame.contains(centre); });
    const DisplayGeometry& d = display != displays.end() ? *display : displays.front();
    if (d.hasNotch) return 30;
    return d.frame.maxY() - d.visibleFrame.maxY() <= 1 ? 26 : 24;
}

}  // namespace

Point PetWindowCoordinator::clampedDragOrigin(Point proposed) {
    return clampIntoNearestFrame(proposed,
                                 visibleFrames(ScreenHomeResolver::geometries(platform::screenList().screens())));
}

void PetWindowCoordinator::beginDrag(int petID) {
    if (reminderPetID == petID) {
        wellbeingGeneration = newToken();
        dismissReminder();
    }
    if (!isPetID(petID)) return;
    const auto i = size_t(petID);
    // A sign held up in front of the home is cut short like a scene: the pet goes back after a tap.
    const bool signUp = countSignVisibleUntil[i] > now();
    if (activeMilestonePetID == petID) {
        activeMilestonePetID.reset();
        releaseClip(PetClipKind::milestoneSign, petID);
        countSignVisibleUntil[i] = distantPast;
        pendingMilestones.clear();
    }
    claimClip(PetClipKind::directInteraction, petID, kHeldClaim);
    if (i < panels.size()) stopFrameAnimation(*panels[i]);
    explicitHomeHoldUntil.reset();
    relationshipGeneration = newToken();
    pressCutScene[i] = signUp || sceneBusyUntil[i] > now();
    pressFoundAttached[i] = i < petViews.size() && petViews[i]->isHomeAttached();
    sceneGenerations[i] = newToken();
    sceneBusyUntil[i] = distantPast;
    keyboardSceneReturnPending[i] = false;
    returnHomeGenerations[i] = newToken();
    homeMovementGenerations[i] = newToken();
    keyboardReactionGenerations[i] = newToken();
    windowWalkGenerations[i] = newToken();
    activeWindowWalks.erase(petID);
    if (i < petViews.size()) petViews[i]->setHomeAttached(false, true);
}

void PetWindowCoordinator::finishDrag(const model::PetDragRelease& release, int petID) {
    if (!isPetID(petID) || size_t(petID) >= panels.size() || size_t(petID) >= petViews.size()) return;
    const auto i = size_t(petID);
    const auto& panel = panels[i];
    PetView& view = *petViews[i];
    releaseClip(PetClipKind::directInteraction, petID);
    pressCutScene[i] = pressFoundAttached[i] = false;
    // A walk home started while the pet was held must not carry it off after the drop.
    homeMovementGenerations[i] = newToken();

    const auto displays = ScreenHomeResolver::geometries(platform::screenList().screens());
    const auto frames = visibleFrames(displays);
    platform::Vector v = release.velocity;
    if (const double speed = v.length(); speed > kMaxThrowSpeed)
        v = {v.dx * kMaxThrowSpeed / speed, v.dy * kMaxThrowSpeed / speed};
    const Point landing = clampIntoNearestFrame(
        {release.origin.x + v.dx * kThrowLookAhead, release.origin.y + v.dy * kThrowLookAhead}, frames);
    const auto perch = model::PetDragPhysics::edgePerch(landing, {kSide, kSide}, frames,
                                                        topVisibleDepth(displays, landing), kPerchThreshold);
    if (perch) {
        manualEdgePerches[petID] = *perch;
    } else {
        manualEdgePerches.erase(petID);
    }

    view.setActivity(PetActivity::perched);
    manuallyPlacedPetIDs.insert(petID);
    publishPetsAwayFromHome();
    view.playDragRelease(release.velocity);
    scheduleReturnHome(petID);

    if (!perch) {
        move(panel, landing, true, kLandingGlide, false, std::nullopt);
        return;
    }
    const double hiddenTravel = distance(perch->origin, perch->hiddenOrigin);
    if (reduceMotion()) {
        placePanel(*panel, perch->origin);
        view.setManualEdgePerch(perch->edge, perch->boundaryOffset, hiddenTravel);
        return;
    }
    // Walk up to the edge, slip under it, then come back out to cling there.
    const Uuid token = returnHomeGenerations[i];
    auto stillPerching = [this, petID, token] {
        const auto i = size_t(petID);
        return returnHomeGenerations[i] == token && manuallyPlacedPetIDs.contains(petID) &&
               petViews[i]->activity() == PetActivity::perched;
    };
    move(panel, perch->approachOrigin, true, kPerchApproach, true, std::nullopt);
    auto& loop = platform::mainLoop();
    loop.after(kPerchTuckAt, weakly([this, i, perch = *perch, stillPerching] {
                   if (stillPerching()) move(panels[i], perch.hiddenOrigin, true, kPerchTuck, true, std::nullopt);
               }));
    loop.after(kPerchSettleAt, weakly([this, i, perch = *perch, hiddenTravel, stillPerching] {
                   if (!stillPerching()) return;
                   stopFrameAnimation(*panels[i]);
                   placePanel(*panels[i], perch.origin);
                   petViews[i]->setManualEdgePerch(perch.edge, perch.boundaryOffset, hiddenTravel);
               }));
}

void PetWindowCoordinator::celebrate(int petID) {
    if (!isPetID(petID) || size_t(petID) >= petViews.size()) return;
    const auto i = size_t(petID);
    PetView& view = *petViews[i];
    relationshipGeneration = newToken();
    const bool cutScene = std::exchange(pressCutScene[i], false);
    const bool pressedAtHome = std::exchange(pressFoundAttached[i], false) && !manuallyPlacedPetIDs.contains(petID);
    const bool wasBusy = cutScene || sceneBusyUntil[i] > now();
    sceneGenerations[i] = newToken();
    sceneBusyUntil[i] = distantPast;
    // The end of the celebration belongs to this scene: a new pick-up renews it.
    const Uuid token = sceneGenerations[i];
    if (activeMilestonePetID == petID) {
        activeMilestonePetID.reset();
        releaseClip(PetClipKind::milestoneSign, petID);
        countSignVisibleUntil[i] = distantPast;
    }
    // A pet tapped on its way out of the home, a typing hop say, is put back on it.
    if (i < homes.size() && i < panels.size() && (view.isHomeAttached() || pressedAtHome) &&
        distance(panels[i]->frame().origin, homes[i].origin) >= kSnapDistance) {
        homeMovementGenerations[i] = newToken();
        placePanel(*panels[i], homes[i].origin);
        view.setGrippingHome(view.isHomeAttached());
        anim::Transaction::animate(0, [&] { view.updateFreePaws(); });
    }
    view.setActivity(PetActivity::celebrating);

    const int partner = petID == 0 ? 1 : 0;
    std::optional<Uuid> partnerToken;
    bool partnerWasBusy = false;
    if (model_.petCount.get() == 2 && size_t(partner) < petViews.size() &&
        mayStartClip(PetClipKind::lifeScene, partner)) {
        const auto p = size_t(partner);
        partnerWasBusy = sceneBusyUntil[p] > now();
        sceneGenerations[p] = newToken();
        sceneBusyUntil[p] = distantPast;
        partnerToken = sceneGenerations[p];
        petViews[p]->setActivity(PetActivity::greeting);
        platform::mainLoop().after(kGreetingSettle, weakly([this, p, partnerToken] {
                                       if (model_.petCount.get() == 2 && sceneGenerations[p] == *partnerToken &&
                                           petViews[p]->activity() != PetActivity::dragged)
                                           petViews[p]->settleAtHome();
                                   }));
    }

    platform::mainLoop().after(
        kCelebration, weakly([this, petID, partner, token, wasBusy, pressedAtHome, partnerToken, partnerWasBusy] {
            const auto i = size_t(petID);
            if (sceneGenerations[i] == token && petViews[i]->activity() != PetActivity::dragged) {
                const bool placed = manuallyPlacedPetIDs.contains(petID);
                petViews[i]->setActivity(placed ? PetActivity::perched : PetActivity::idle);
                if (placed) {
                    scheduleReturnHome(petID);
                } else if (wasBusy) {
                    movePetHome(petID, true);
                } else if (pressedAtHome) {
                    // Tapped where it clung, it takes hold of its home again: at the top edge a pet
                    // left loose would hang there over its own floor shadow.
                    petViews[i]->setHomeAttached(true, true);
                    petViews[i]->settleAtHome();
                }
            }
            const auto p = size_t(partner);
            if (!partnerToken || model_.petCount.get() != 2 || sceneGenerations[p] != *partnerToken ||
                petViews[p]->activity() == PetActivity::dragged || !mayStartClip(PetClipKind::lifeScene, partner))
                return;
            const bool placed = manuallyPlacedPetIDs.contains(partner);
            petViews[p]->setActivity(placed ? PetActivity::perched : PetActivity::idle);
            if (partnerWasBusy && !placed) movePetHome(partner, true);
        }));
}

// ---- leaving the user's placement

void PetWindowCoordinator::endManualPlacement(int petID) {
    const bool placed = manuallyPlacedPetIDs.erase(petID) > 0;
    if (placed) publishPetsAwayFromHome();
    if (manualEdgePerches.erase(petID) == 0 && !placed) return;
    // A pet that clung to a screen edge takes its home's look again.
    if (isPetID(petID) && size_t(petID) < homes.size() && size_t(petID) < petViews.size())
        petViews[size_t(petID)]->configureHome(homes[size_t(petID)]);
}

}  // namespace pets
