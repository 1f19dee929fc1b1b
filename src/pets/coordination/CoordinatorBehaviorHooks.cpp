// Where the behaviours still to come plug into the coordinator: window walks, two-pet
// relationships, reminders and focus. Until each is in place its entry point declines or
// leaves the pets as they are, and the behaviour tick goes on to the next kind.
#include "model/AppModel.h"
#include "pets/coordination/PetWindowCoordinator.h"

namespace pets {

bool PetWindowCoordinator::canShowReminder() const {
    return false;
}
void PetWindowCoordinator::presentReminder(model::WellbeingAction) {}
bool PetWindowCoordinator::startWindowWalk(int) {
    return false;
}
bool PetWindowCoordinator::performRelationship(model::PetRelationshipEvent) {
    return false;
}
void PetWindowCoordinator::validateWindowWalks() {}
void PetWindowCoordinator::cancelWindowWalks() {}
void PetWindowCoordinator::reactToWellbeing(model::WellbeingAction) {}
void PetWindowCoordinator::focusActivityChanged(bool) {}

}  // namespace pets
