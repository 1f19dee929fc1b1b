// Where the pets' own behaviours plug into the coordinator: the behaviour tick and its
// scheduling, window walks, reminders and focus. Until each behaviour is in place its entry
// point leaves the pets as they are, resting at home and following the settings.
#include "model/AppModel.h"
#include "pets/coordination/PetWindowCoordinator.h"

namespace pets {

void PetWindowCoordinator::rescheduleAutonomousScenes(bool, std::optional<int>) {}
void PetWindowCoordinator::advanceBehaviors() {}
void PetWindowCoordinator::validateWindowWalks() {}
void PetWindowCoordinator::cancelWindowWalks() {}
void PetWindowCoordinator::reactToWellbeing(model::WellbeingAction) {}
void PetWindowCoordinator::focusActivityChanged(bool) {}

}  // namespace pets
