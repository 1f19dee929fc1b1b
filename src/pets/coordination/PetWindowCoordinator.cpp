#include "pets/coordination/PetWindowCoordinator.h"

namespace pets {

void PetWindowCoordinator::start() {
    if (started_) return;
    started_ = true;
}

model::PetHomeCommandResult PetWindowCoordinator::sendPetsHome(bool, bool) {
    return model::PetHomeCommandResult::unavailable;
}

bool PetWindowCoordinator::performDesktopScene(model::PetLifeScene, model::DesktopDemoTarget) {
    return false;
}

bool PetWindowCoordinator::performDesktopPose(model::PetActivity, model::DesktopDemoTarget) {
    return false;
}

bool PetWindowCoordinator::demonstrateAll(model::DesktopDemoTarget) {
    return false;
}

}  // namespace pets
