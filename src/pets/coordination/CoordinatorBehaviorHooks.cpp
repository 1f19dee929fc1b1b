// Where the behaviours still to come plug into the coordinator: window walks and two-pet
// relationships. Until each is in place its entry point declines or
// leaves the pets as they are, and the behaviour tick goes on to the next kind.
#include "model/AppModel.h"
#include "pets/coordination/PetWindowCoordinator.h"

namespace pets {

bool PetWindowCoordinator::startWindowWalk(int) {
    return false;
}
bool PetWindowCoordinator::performRelationship(model::PetRelationshipEvent) {
    return false;
}
void PetWindowCoordinator::validateWindowWalks() {}
void PetWindowCoordinator::cancelWindowWalks() {}

}  // namespace pets
