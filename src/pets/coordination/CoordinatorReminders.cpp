// Wellbeing reminders shown by a pet with a sign beside it, and the pets' answer to focus
// sessions: focus poses while one runs, a celebration when it ends.
#include <algorithm>

#include "model/AppModel.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/coordination/ReminderPresentationPlan.h"
#include "pets/coordination/ScreenHomeResolver.h"
#include "pets/view/PetView.h"
#include "pets/view/ReminderSignView.h"
#include "platform/Screens.h"
#include "platform/Services.h"

namespace pets {
namespace {

using model::PetActivity;
using model::WellbeingAction;

constexpr platform::Size kSignSize{ReminderSignView::width, ReminderSignView::height};
constexpr double kPresenterHold = 9;
constexpr double kWalkOut = 0.75;
constexpr double kSignDelay = 0.82;
constexpr double kEndDelay = 5.8;
constexpr double kCelebrationStagger = 0.24;
constexpr double kFocusEndReturn = 2.2;
constexpr double kFocusPoseDelay = 2.0;
constexpr double kFocusPoseStagger = 0.26;

bool isReminder(WellbeingAction action) {
    return action != WellbeingAction::focus && action != WellbeingAction::focusComplete;
}

PetActivity gesture(WellbeingAction action, bool gesturesEnabled) {
    if (!gesturesEnabled) return PetActivity::peeking;
    switch (action) {
        case WellbeingAction::drink: return PetActivity::drinking;
        case WellbeingAction::lookFar: return PetActivity::lookingFar;
        default: return PetActivity::stretching;
    }
}

}  // namespace

bool PetWindowCoordinator::canShowReminder(bool preview) const {
    const int petCount = model_.petCount.get();
    if (!model_.petsVisible.get() || model_.isHiddenForFullScreen.get() || (model_.isFocusActive.get() && !preview))
        return false;
    // A milestone sign keeps its pet; the reminder waits for it to end.
    if (now() < desktopDemoUntil || reminderPetID || activeMilestonePetID || int(homes.size()) != petCount) return false;
    for (int i = 0; i < std::min(petCount, int(petViews.size())); ++i)
        if (petViews[size_t(i)]->activity() == PetActivity::dragged) return false;
    return true;
}

void PetWindowCoordinator::reactToWellbeing(WellbeingAction action) {
    if (isReminder(action)) {
        const bool preview = model_.isWellbeingPreview();
        pendingReminder = action;
        if (canShowReminder(preview)) {
            pendingReminder.reset();
            presentReminder(action, preview);
        }
        return;
    }
    wellbeingGeneration = newToken();
    // The renewal cancels the sign's own end step, so the sign goes with it; left up, it
    // would block every later reminder.
    dismissReminder();
    if (action != WellbeingAction::focusComplete) return;

    const Uuid token = wellbeingGeneration;
    const int n = std::min(model_.petCount.get(), int(panels.size()));
    for (int i = 0; i < n; ++i) {
        sceneGenerations[size_t(i)] = newToken();
        sceneBusyUntil[size_t(i)] = distantPast;
    }
    auto& loop = platform::mainLoop();
    for (int i = 0; i < n; ++i) {
        loop.after(i * kCelebrationStagger, weakly([this, token, i] {
                       if (wellbeingGeneration != token || size_t(i) >= petViews.size()) return;
                       PetView& view = *petViews[size_t(i)];
                       if (view.activity() != PetActivity::dragged) view.setActivity(PetActivity::celebrating);
                   }));
    }
    loop.after(kFocusEndReturn, weakly([this, token] {
                   if (wellbeingGeneration != token || model_.isFocusActive.get() || !manuallyPlacedPetIDs.empty())
                       return;
                   const int count = std::min(model_.petCount.get(), int(petViews.size()));
                   for (int i = 0; i < count; ++i)
                       if (petViews[size_t(i)]->activity() == PetActivity::dragged) return;
                   sendPetsHome(true, false);
               }));
}

void PetWindowCoordinator::presentReminder(WellbeingAction action, bool preview) {
    const int petCount = model_.petCount.get();
    const int pet =
        (action == WellbeingAction::drink || action == WellbeingAction::lookFar) && petCount == 2 ? 1 : 0;
    if (pet >= int(homes.size()) || pet >= int(panels.size()) || pet >= int(petViews.size())) return;
    const PetHome home = homes[size_t(pet)];
    const auto displays = ScreenHomeResolver::geometries(platform::screenList().screens());
    const auto display =
        std::find_if(displays.begin(), displays.end(), [&](const DisplayGeometry& d) { return d.id == home.displayID; });
    if (display == displays.end()) return;

    dismissReminder();
    wellbeingGeneration = newToken();
    const Uuid token = wellbeingGeneration;
    // A two-pet relationship would go on moving the presenter and send both home at its end.
    endRelationship(pet);
    const auto plan =
        ReminderPresentationPlan::make(home, display->visibleFrame, {kPetSide, kPetSide}, kSignSize);

    reminderPetID = pet;
    invalidateMovement(pet);
    endManualPlacement(pet);
    sceneBusyUntil[size_t(pet)] = now() + kPresenterHold;
    PetView& view = *petViews[size_t(pet)];
    view.leaveHome();
    view.setHomeAttached(false, true);
    view.setActivity(PetActivity::peeking);
    move(panels[size_t(pet)], plan.petOrigin, true, kWalkOut, true, std::nullopt);

    auto& loop = platform::mainLoop();
    loop.after(kSignDelay, weakly([this, token, pet, action, plan, preview] {
                   if (wellbeingGeneration != token || !model_.petsVisible.get() ||
                       model_.isHiddenForFullScreen.get() || (model_.isFocusActive.get() && !preview) ||
                       pet >= model_.petCount.get() || size_t(pet) >= petViews.size())
                       return;
                   PetView& presenter = *petViews[size_t(pet)];
                   if (presenter.activity() == PetActivity::dragged) return;
                   presenter.setActivity(gesture(action, model_.reminderGesturesEnabled.get()));
                   showReminderSign(action, plan.cardOrigin);
               }));
    loop.after(kEndDelay, weakly([this, token, pet] {
                   if (wellbeingGeneration != token) return;
                   dismissReminder();
                   if (model_.petsVisible.get() && !model_.isHiddenForFullScreen.get() && pet < model_.petCount.get())
                       movePetHome(pet, true);
               }));
}

void PetWindowCoordinator::showReminderSign(WellbeingAction action, platform::Point origin) {
    std::shared_ptr<PetPanel> panel = platform::panelFactory().createPanel({origin, kSignSize});
    ReminderSignView sign(action);
    panel->setRootLayer(sign.layer());
    panel->setIgnoresMouseEvents(true);
    panel->orderFront();
    reminderPanel = std::move(panel);
}

void PetWindowCoordinator::endRelationship(int presenter) {
    relationshipGeneration = newToken();
    if (now() >= relationshipBusyUntil) return;
    relationshipBusyUntil = distantPast;
    const int n = std::min({model_.petCount.get(), int(panels.size()), int(petViews.size())});
    for (int i = 0; i < n; ++i)
        if (i != presenter && !manuallyPlacedPetIDs.contains(i) &&
            petViews[size_t(i)]->activity() != PetActivity::dragged)
            movePetHome(i, true);
}

void PetWindowCoordinator::focusActivityChanged(bool active) {
    focusPresentationGeneration = newToken();
    const Uuid token = focusPresentationGeneration;
    const int petCount = model_.petCount.get();
    if (!active) {
        for (int i = 0; i < std::min(petCount, int(petViews.size())); ++i) {
            PetView& view = *petViews[size_t(i)];
            if (view.activity() == PetActivity::focusing || view.activity() == PetActivity::drowsy)
                view.setActivity(PetActivity::home);
        }
        return;
    }
    sendPetsHome(true, false);
    for (int i = 0; i < std::min(petCount, int(panels.size())); ++i) {
        platform::mainLoop().after(kFocusPoseDelay + i * kFocusPoseStagger, weakly([this, token, i] {
                                       if (focusPresentationGeneration != token || !model_.isFocusActive.get() ||
                                           i >= model_.petCount.get() || size_t(i) >= petViews.size())
                                           return;
                                       petViews[size_t(i)]->setActivity(i == 0 ? PetActivity::focusing
                                                                               : PetActivity::drowsy);
                                   }));
    }
}

}  // namespace pets
