// Where the behaviours still to come plug into the coordinator: reminders and focus. Until
// each is in place its entry point declines or leaves the pets as they are.
#include "model/AppModel.h"
#include "pets/coordination/PetWindowCoordinator.h"

namespace pets {

bool PetWindowCoordinator::canShowReminder() const {
    return false;
}
void PetWindowCoordinator::presentReminder(model::WellbeingAction) {}
void PetWindowCoordinator::reactToWellbeing(model::WellbeingAction) {}
void PetWindowCoordinator::focusActivityChanged(bool) {}

}  // namespace pets
