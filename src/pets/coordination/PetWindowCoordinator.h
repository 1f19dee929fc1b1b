#pragma once

#include "model/PetEnums.h"
#include "platform/Date.h"
#include "platform/Random.h"

namespace model {
class AppModel;
}

namespace pets {

// Places the pets on the desktop and runs their life. For now it has no pet panels yet:
// every command answers that it cannot act.
class PetWindowCoordinator final {
public:
    // Creates nothing and starts nothing until start().
    explicit PetWindowCoordinator(model::AppModel& model) : model_(model) {}
    PetWindowCoordinator(const PetWindowCoordinator&) = delete;
    PetWindowCoordinator& operator=(const PetWindowCoordinator&) = delete;

    // Starts the coordinator once; a second call returns at once.
    void start();
    bool isStarted() const { return started_; }
    model::AppModel& model() const { return model_; }

    // Sends every shown pet home and ends a running desktop demonstration.
    model::PetHomeCommandResult sendPetsHome(bool animated, bool holdPosition);
    // Plays one life scene or pose on the target's pets; false, with nothing played, when the
    // pets are hidden or the target's pets do not exist.
    bool performDesktopScene(model::PetLifeScene scene, model::DesktopDemoTarget target);
    bool performDesktopPose(model::PetActivity pose, model::DesktopDemoTarget target);
    // Every life scene and pose in turn, with the same refusal rule.
    bool demonstrateAll(model::DesktopDemoTarget target);

    // Written before each demonstration: a new generation supersedes the delayed steps of an
    // earlier one, and the coordinator's own behaviour pauses until the date.
    platform::Uuid desktopDemoGeneration;
    platform::Date desktopDemoUntil = platform::Date::distantPast();

private:
    model::AppModel& model_;
    bool started_ = false;
};

}  // namespace pets
