// Where the pets' own behaviours plug into the coordinator: the behaviour tick and its
// scheduling, window walks, typing reactions and milestones, reminders and focus, taps and
// drags. Until each behaviour is in place its entry point leaves the pets as they are, resting
// at home and following the settings.
#include "model/AppModel.h"
#include "pets/coordination/PetWindowCoordinator.h"

namespace pets {

void PetWindowCoordinator::rescheduleAutonomousScenes(bool, std::optional<int>) {}
void PetWindowCoordinator::advanceBehaviors() {}
void PetWindowCoordinator::validateWindowWalks() {}
void PetWindowCoordinator::cancelWindowWalks() {}
void PetWindowCoordinator::reactToTyping(const model::KeyboardReactionEvent&) {}
void PetWindowCoordinator::presentKeyboardMilestone(int64_t) {}
void PetWindowCoordinator::reactToWellbeing(model::WellbeingAction) {}
void PetWindowCoordinator::focusActivityChanged(bool) {}
void PetWindowCoordinator::celebrate(int) {}
void PetWindowCoordinator::beginDrag(int) {}
platform::Point PetWindowCoordinator::clampedDragOrigin(platform::Point proposed) {
    return proposed;
}
void PetWindowCoordinator::finishDrag(const model::PetDragRelease&, int) {}

}  // namespace pets
