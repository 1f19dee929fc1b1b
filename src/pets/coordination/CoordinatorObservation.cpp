#include <algorithm>

#include "model/AppModel.h"
#include "model/FullScreenDetector.h"
#include "model/PetChoiceRules.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

// Each value that differs from the one before; with `skipFirst` the value current at
// subscription only sets the baseline.
template <typename T, typename F>
platform::Subscription onChange(platform::Published<T>& property, bool skipFirst, F action) {
    auto last = std::make_shared<std::optional<T>>();
    return property.subscribe([last, skipFirst, action = std::move(action)](const T& value) {
        if (*last && **last == value) return;
        const bool first = !last->has_value();
        *last = value;
        if (!(first && skipFirst)) action(value);
    });
}

// Every value after the current one.
template <typename T, typename F>
platform::Subscription onLaterValues(platform::Published<T>& property, F action) {
    return property.subscribe(std::move(action), false);
}

// Every value that is something, the current one included.
template <typename T, typename F>
platform::Subscription onSomeValue(platform::Published<std::optional<T>>& property, F action) {
    return property.subscribe([action = std::move(action)](const std::optional<T>& value) {
        if (value) action(*value);
    });
}

}  // namespace

// The model stores a new value before it notifies, so every action below sees the setting
// that was just chosen.
void PetWindowCoordinator::observeModel() {
    auto& m = model_;
    cancellables.push_back(
        onChange(m.petsVisible, false, [this](bool visible) { updateVisibility(visible, model_.petCount.get()); }));
    cancellables.push_back(onChange(m.petCount, true, [this](int count) {
        const int old = appliedPetCount;
        appliedPetCount = count;
        applyPetCountTransition(old, count);
    }));
    cancellables.push_back(onLaterValues(
        m.homePreferences, [this](const std::vector<model::PetHomePreference>& p) { applyHomePreferences(p); }));
    cancellables.push_back(onLaterValues(m.dragStayDuration, [this](model::DragStayDuration) {
        const int n = std::min(int(panels.size()), model_.petCount.get());
        for (int i = 0; i < n; ++i)
            if (manuallyPlacedPetIDs.contains(i)) scheduleReturnHome(i);
    }));
    cancellables.push_back(onChange(m.hideInFullScreen, false, [this](bool) { refreshFullScreenVisibility(); }));
    cancellables.push_back(onChange(m.windowWalkingEnabled, true, [this](bool enabled) {
        if (enabled) {
            nextWindowWalkAttemptAt = distantPast;
        } else {
            cancelWindowWalks();
        }
    }));
    cancellables.push_back(onChange(
        m.activityLevel, true, [this](model::PetActivityLevel) { rescheduleAutonomousScenes(false, std::nullopt); }));
    cancellables.push_back(onLaterValues(m.activityTunings, [this](const std::vector<model::PetActivityTuning>&) {
        rescheduleAutonomousScenes(false, std::nullopt);
    }));
    cancellables.push_back(onLaterValues(m.petAccessories, [this](const std::vector<model::PetAccessory>& v) {
        for (size_t i = 0; i < petViews.size() && i < v.size(); ++i) petViews[i]->setAccessory(v[i]);
    }));
    cancellables.push_back(
        onSomeValue(m.keyboardReaction, [this](const model::KeyboardReactionEvent& e) { reactToTyping(e); }));
    cancellables.push_back(
        onSomeValue(m.keyboardMilestone, [this](int64_t count) { presentKeyboardMilestone(count); }));
    cancellables.push_back(
        onSomeValue(m.wellbeingAction, [this](model::WellbeingAction action) { reactToWellbeing(action); }));
    cancellables.push_back(onChange(m.isFocusActive, false, [this](bool active) { focusActivityChanged(active); }));
}

void PetWindowCoordinator::updateVisibility(bool visible, int petCount) {
    const bool hiddenForFullScreen = model_.isHiddenForFullScreen.get();
    if (!visible || hiddenForFullScreen) {
        dismissReminder();
        invalidatePendingMovements();
        // Hidden pets rest at home, ready to be shown there.
        const int n = std::min(model_.petCount.get(), int(panels.size()));
        for (int i = 0; i < n && size_t(i) < homes.size(); ++i) {
            endManualPlacement(i);
            PetView& view = *petViews[size_t(i)];
            view.setActivity(model::PetActivity::home);
            view.setHomeAttached(true, false);
            placePanel(*panels[size_t(i)], homes[size_t(i)].origin);
        }
    }

    int shown = 0;
    if (visible && !hiddenForFullScreen && !panels.empty())
        shown = std::min({std::max(petCount, 1), int(panels.size()), kPetSlots});
    for (size_t i = 0; i < panels.size(); ++i) {
        PetView& view = *petViews[i];
        if (int(i) < shown) {
            panels[i]->orderFront();
            if (!view.presentationActive()) view.setPresentationActive(true);
        } else {
            view.setPresentationActive(false);
            panels[i]->orderOut();
        }
    }
}

void PetWindowCoordinator::refreshFullScreenVisibility() {
    const bool covered = model_.hideInFullScreen.get() &&
                         model::FullScreenDetector::frontmostAppOccupiesFullScreen(platform::screenList().screens());
    if (covered == model_.isHiddenForFullScreen.get()) return;
    model_.isHiddenForFullScreen = covered;
    updateVisibility(model_.petsVisible.get(), model_.petCount.get());
    if (!covered) sendPetsHome(false, false);
}

// A pet brought to its home without a walk: attached, placed and settled.
void PetWindowCoordinator::snapHome(int petID) {
    PetView& view = *petViews[size_t(petID)];
    view.setActivity(model::PetActivity::home);
    view.setHomeAttached(true, false);
    placePanel(*panels[size_t(petID)], homes[size_t(petID)].origin);
    petViews[size_t(petID)]->settleAtHome();
}

void PetWindowCoordinator::applyPetCountTransition(int from, int to) {
    wellbeingGeneration = newToken();
    dismissReminder();
    const auto plan = model::PetCountTransitionEngine::plan(from, to);
    invalidatePendingMovements();

    for (int id : plan.removed) {
        if (size_t(id) >= panels.size()) continue;
        endManualPlacement(id);
        PetView& view = *petViews[size_t(id)];
        view.setActivity(model::PetActivity::home);
        view.setHomeAttached(false, false);
        view.setPresentationActive(false);
        panels[size_t(id)]->orderOut();
    }

    homes = resolveHomes(to, model_.homePreferences.get());
    for (size_t i = 0; i < homes.size() && i < petViews.size(); ++i) petViews[i]->configureHome(homes[i]);
    for (int id : plan.kept) {
        if (size_t(id) >= homes.size() || size_t(id) >= panels.size()) continue;
        endManualPlacement(id);
        snapHome(id);
    }
    for (int id : plan.added)
        if (size_t(id) < homes.size() && size_t(id) < panels.size()) snapHome(id);

    updateVisibility(model_.petsVisible.get(), to);
    rescheduleAutonomousScenes(true, to);
    if (model_.petsVisible.get() && !model_.isHiddenForFullScreen.get())
        for (int id : plan.added)
            if (size_t(id) < panels.size()) petViews[size_t(id)]->revealAtHome();
    publishPetsAwayFromHome();
}

void PetWindowCoordinator::applyHomePreferences(const std::vector<model::PetHomePreference>& preferences) {
    const std::optional<int> holder = reminderPetID;
    wellbeingGeneration = newToken();
    dismissReminder();
    std::vector<PetHome> fresh = resolveHomes(appliedPetCount, preferences);
    const std::vector<PetHome> old = std::exchange(homes, fresh);

    const bool shown = model_.petsVisible.get() && !model_.isHiddenForFullScreen.get();
    for (size_t i = 0; i < fresh.size() && i < petViews.size() && i < panels.size(); ++i) {
        if (i < old.size() && old[i] == fresh[i]) continue;
        invalidateMovement(int(i));
        endManualPlacement(int(i));
        petViews[i]->configureHome(fresh[i]);
        snapHome(int(i));
        if (shown) petViews[i]->revealAtHome();
    }
    // The pet that had walked out with the sign walks back, unless it already took its new home.
    if (holder && size_t(*holder) < fresh.size() && size_t(*holder) < old.size() &&
        old[size_t(*holder)] == fresh[size_t(*holder)])
        movePetHome(*holder, true);
    publishPetsAwayFromHome();
}

}  // namespace pets
