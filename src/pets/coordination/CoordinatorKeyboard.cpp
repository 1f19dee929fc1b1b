// The pets' answers to typing: a short reaction per published key event, and the count sign
// held up at every hundred keys of the day.
#include <algorithm>
#include <cmath>

#include "anim/Transaction.h"
#include "model/AppModel.h"
#include "model/KeyboardReactions.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using model::PetActivity;
using model::PetClipKind;
using platform::Point;

// A pet this near its home point sits at home.
constexpr double kAtHomeDistance = 4;
constexpr double kTypingClaim = 0.9;
constexpr double kGripChange = 0.18;
// The peek hop out of the home and back.
constexpr double kHopOut = 0.15;
constexpr double kHopBackAt = 0.34;
constexpr double kHopBack = 0.24;
constexpr double kRegripAfterHop = 0.25;
constexpr double kMotionEndAfterHop = 0.64;
constexpr double kMotionEnd = 0.36;
// The count sign of a typing reaction.
constexpr double kSignWindow = 3.4;
constexpr double kSignStepOut = 0.3;
constexpr double kSignDown = 2.8;
constexpr double kPerchSignWalk = 0.32;
constexpr double kPerchSignUp = 0.34;
constexpr double kPerchSignDown = 3.2;
constexpr double kPerchClingAfter = 0.34;
// A key-count milestone.
constexpr int64_t kMilestoneStep = 100;
constexpr double kMilestoneClaim = 5.3;
constexpr double kMilestoneWalk = 0.32;
constexpr double kMilestoneSignUp = 0.36;
constexpr double kMilestoneSignDown = 4.96;
constexpr double kMilestoneWalkBack = 0.34;
constexpr double kNextMilestoneDelay = 0.18;

double distance(Point a, Point b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

}  // namespace

// Grip paws on the home's boundary (as far as the pet is attached) or off it.
void PetWindowCoordinator::setGrip(int petID, bool gripping, bool animated) {
    PetView& view = *petViews[size_t(petID)];
    view.setGrippingHome(gripping && view.isHomeAttached());
    anim::Transaction::animate(animated && !reduceMotion() ? kGripChange : 0, [&] { view.updateFreePaws(); });
}

bool PetWindowCoordinator::isShownPet(int petID) const {
    return petID >= 0 && petID < std::min(model_.petCount.get(), int(panels.size()));
}

// ---- typing reactions

// Pets hidden behind a full-screen window are as hidden as pets the user turned off.
bool PetWindowCoordinator::petsShown() const {
    return model_.petsVisible.get() && !model_.isHiddenForFullScreen.get();
}

void PetWindowCoordinator::reactToTyping(const model::KeyboardReactionEvent& event) {
    if (!petsShown()) return;
    const auto plan = model::DualPetKeyboardPlanner::plan(model_.petCount.get(), model_.keyboardReactions.get(),
                                                          event.style, event.sequence);
    for (const auto& entry : plan) {
        const int pet = entry.petID;
        const auto i = size_t(pet);
        if (!isShownPet(pet) || reminderPetID == pet || !mayStartClip(PetClipKind::typing, pet) ||
            countSignVisibleUntil[i] > now())
            continue;
        if (sceneBusyUntil[i] > now()) keyboardSceneReturnPending[i] = true;
        sceneGenerations[i] = newToken();
        sceneBusyUntil[i] = distantPast;
        const Uuid token = newToken();
        keyboardReactionGenerations[i] = token;
        const bool wasPerched = manuallyPlacedPetIDs.contains(pet);
        if (entry.delay == 0) {
            performKeyboardReaction(entry, event, token, wasPerched);
        } else {
            platform::mainLoop().after(entry.delay, weakly([this, entry, event, token, wasPerched] {
                                           performKeyboardReaction(entry, event, token, wasPerched);
                                       }));
        }
    }
}

void PetWindowCoordinator::performKeyboardReaction(const model::PetKeyboardReaction& entry,
                                                   const model::KeyboardReactionEvent& reaction, Uuid token,
                                                   bool wasPerched) {
    const int pet = entry.petID;
    if (!isPetID(pet) || keyboardReactionGenerations[size_t(pet)] != token || !isShownPet(pet) ||
        !mayStartClip(PetClipKind::typing, pet) || petViews[size_t(pet)]->activity() == PetActivity::dragged)
        return;
    if (entry.style != model::KeyboardReactionStyle::showCount) {
        playTypingMotion(entry, reaction, token, wasPerched);
    } else if (auto perch = manualEdgePerches.find(pet); wasPerched && perch != manualEdgePerches.end()) {
        showCountOnPerch(pet, perch->second, token);
    } else {
        showCountSign(pet, token, wasPerched);
    }
}

void PetWindowCoordinator::playTypingMotion(const model::PetKeyboardReaction& entry,
                                            const model::KeyboardReactionEvent& reaction, Uuid token, bool wasPerched) {
    const int pet = entry.petID;
    const auto i = size_t(pet);
    const auto& panel = panels[i];
    PetView& view = *petViews[i];
    const std::optional<PetHome> home = i < homes.size() ? std::optional(homes[i]) : std::nullopt;
    // Still out on an earlier hop: back onto the home point before hopping again.
    if (!wasPerched && home && view.isHomeAttached() &&
        distance(panel->frame().origin, home->origin) >= kAtHomeDistance) {
        homeMovementGenerations[i] = newToken();
        placePanel(*panel, home->origin);
        setGrip(pet, true, false);
    }
    const bool atHome = home && distance(panel->frame().origin, home->origin) < kAtHomeDistance;
    claimClip(PetClipKind::typing, pet, kTypingClaim);
    view.setActivity(PetActivity::typing);
    view.reactToKeyPress(entry.style, reaction.intensity * entry.intensityScale);

    const bool hops = atHome && !wasPerched;
    auto& loop = platform::mainLoop();
    if (hops) {
        setGrip(pet, false, true);
        move(panel, home->peekOrigin, true, kHopOut, false, std::nullopt);
        loop.after(kHopBackAt, weakly([this, pet, token, home = *home] {
                       const auto i = size_t(pet);
                       if (keyboardReactionGenerations[i] != token || i >= homes.size() || homes[i] != home) return;
                       move(panels[i], home.origin, true, kHopBack, false, std::nullopt);
                       platform::mainLoop().after(kRegripAfterHop, weakly([this, pet, token] {
                                                      if (keyboardReactionGenerations[size_t(pet)] == token)
                                                          setGrip(pet, true, true);
                                                  }));
                   }));
    }
    loop.after(hops ? kMotionEndAfterHop : kMotionEnd, weakly([this, pet, token, wasPerched, atHome] {
                   const auto i = size_t(pet);
                   PetView& view = *petViews[i];
                   if (keyboardReactionGenerations[i] != token || view.activity() != PetActivity::typing) return;
                   view.setActivity(wasPerched                   ? PetActivity::perched
                                    : model_.isFocusActive.get() ? PetActivity::focusing
                                    : atHome                     ? PetActivity::home
                                                                 : PetActivity::idle);
                   releaseClip(PetClipKind::typing, pet);
                   const bool interruptedScene = std::exchange(keyboardSceneReturnPending[i], false);
                   if (interruptedScene && !wasPerched && !atHome) movePetHome(pet, true);
               }));
}

// The sign where the pet stands, or just in front of its home when it sits there.
void PetWindowCoordinator::showCountSign(int pet, Uuid token, bool wasPerched) {
    const auto i = size_t(pet);
    PetView& view = *petViews[i];
    countSignVisibleUntil[i] = now() + kSignWindow;
    if (!wasPerched && i < homes.size() && view.isHomeAttached()) {
        setGrip(pet, false, true);
        view.leaveHome();
        view.setHomeAttached(false, true);
        move(panels[i], homes[i].approachOrigin, true, kSignStepOut, true, std::nullopt);
    }
    view.showCount(model_.todayKeyCount());
    platform::mainLoop().after(kSignDown, weakly([this, pet, token] {
                                   const auto i = size_t(pet);
                                   if (keyboardReactionGenerations[i] != token) return;
                                   countSignVisibleUntil[i] = distantPast;
                                   keyboardSceneReturnPending[i] = false;
                                   if (manuallyPlacedPetIDs.contains(pet)) {
                                       petViews[i]->setActivity(PetActivity::perched);
                                   } else {
                                       movePetHome(pet, true);
                                   }
                               }));
}

// Off the edge to show the sign in the open, then back under the edge.
void PetWindowCoordinator::showCountOnPerch(int pet, const model::ScreenEdgePerch& perch, Uuid token) {
    const auto i = size_t(pet);
    PetView& view = *petViews[i];
    countSignVisibleUntil[i] = now() + kSignWindow;
    setGrip(pet, false, false);
    view.setHomeAttached(false, false);
    view.setActivity(PetActivity::roaming);
    move(panels[i], perch.approachOrigin, true, kPerchSignWalk, true, std::nullopt);
    const int64_t count = model_.todayKeyCount();
    auto current = [this, pet, token] {
        return keyboardReactionGenerations[size_t(pet)] == token && manuallyPlacedPetIDs.contains(pet);
    };
    auto& loop = platform::mainLoop();
    loop.after(kPerchSignUp, weakly([this, i, count, current] {
                   if (current()) petViews[i]->showCount(count);
               }));
    loop.after(kPerchSignDown, weakly([this, pet, perch, current] {
                   if (!current()) return;
                   countSignVisibleUntil[size_t(pet)] = distantPast;
                   keyboardSceneReturnPending[size_t(pet)] = false;
                   returnToPerch(pet, perch, kPerchSignWalk, current);
               }));
}

void PetWindowCoordinator::returnToPerch(int pet, const model::ScreenEdgePerch& perch, double walk,
                                         std::function<bool()> stillCurrent) {
    move(panels[size_t(pet)], perch.origin, true, walk, true, std::nullopt);
    platform::mainLoop().after(kPerchClingAfter, weakly([this, pet, perch, stillCurrent = std::move(stillCurrent)] {
                                   if (stillCurrent())
                                       petViews[size_t(pet)]->setManualEdgePerch(
                                           perch.edge, perch.boundaryOffset,
                                           distance(perch.origin, perch.hiddenOrigin));
                               }));
}

// ---- key-count milestones

void PetWindowCoordinator::presentKeyboardMilestone(int64_t count) {
    if (!petsShown() || !model_.keyCountingEnabled.get()) return;
    if (activeMilestonePetID) {
        pendingMilestones.push_back(count);
        return;
    }
    // The hundreds take turns: the first pet shows 100, 300, ..., the second 200, 400, ...
    const int petCount = model_.petCount.get();
    if (petCount >= 2 && count < kMilestoneStep) return;
    const int pet = petCount < 2 ? 0 : int((count / kMilestoneStep - 1) % 2);
    if (!isShownPet(pet) || petViews[size_t(pet)]->activity() == PetActivity::dragged) return;
    const auto i = size_t(pet);
    std::optional<model::ScreenEdgePerch> perch;
    if (auto found = manualEdgePerches.find(pet); found != manualEdgePerches.end()) perch = found->second;
    // Without a perch or a home there is nowhere to step out to.
    if (!perch && i >= homes.size()) return;

    invalidateMovement(pet);
    activeMilestonePetID = pet;
    const Uuid token = newToken();
    keyboardReactionGenerations[i] = token;
    if (mayStartClip(PetClipKind::milestoneSign, pet)) claimClip(PetClipKind::milestoneSign, pet, kMilestoneClaim);
    countSignVisibleUntil[i] = now() + kMilestoneSignDown;
    const Point target = perch ? perch->approachOrigin : homes[i].approachOrigin;

    PetView& view = *petViews[i];
    setGrip(pet, false, true);
    view.leaveHome();
    view.setHomeAttached(false, true);
    view.setActivity(PetActivity::roaming);
    move(panels[i], target, true, kMilestoneWalk, true, std::nullopt);

    auto current = [this, pet, token] {
        return activeMilestonePetID == pet && keyboardReactionGenerations[size_t(pet)] == token;
    };
    auto& loop = platform::mainLoop();
    loop.after(kMilestoneSignUp, weakly([this, i, count, current] {
                   if (current()) petViews[i]->showCount(count);
               }));
    loop.after(kMilestoneSignDown, weakly([this, pet, perch, current] {
                   if (!current()) return;
                   countSignVisibleUntil[size_t(pet)] = distantPast;
                   if (perch && manuallyPlacedPetIDs.contains(pet)) {
                       // It clings again as the milestone ends, so only its token may stop it.
                       returnToPerch(pet, *perch, kMilestoneWalkBack,
                                     [this, pet, token = keyboardReactionGenerations[size_t(pet)]] {
                                         return keyboardReactionGenerations[size_t(pet)] == token &&
                                                manuallyPlacedPetIDs.contains(pet);
                                     });
                   } else {
                       // Walking home ends a placement in the open as well.
                       endManualPlacement(pet);
                       movePetHome(pet, true);
                   }
               }));
    loop.after(kMilestoneClaim, weakly([this, pet, current] {
                   if (!current()) return;
                   releaseClip(PetClipKind::milestoneSign, pet);
                   activeMilestonePetID.reset();
                   if (pendingMilestones.empty()) return;
                   const int64_t next = pendingMilestones.front();
                   pendingMilestones.erase(pendingMilestones.begin());
                   platform::mainLoop().after(kNextMilestoneDelay,
                                              weakly([this, next] { presentKeyboardMilestone(next); }));
               }));
}

}  // namespace pets
