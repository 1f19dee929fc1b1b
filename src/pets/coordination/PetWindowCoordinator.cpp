#include "pets/coordination/PetWindowCoordinator.h"

#include <algorithm>

#include "model/AppModel.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

constexpr double kBehaviorInterval = 4.0;
constexpr double kBehaviorTolerance = 0.4;
constexpr double kVisibilityInterval = 1.5;
constexpr double kVisibilityTolerance = 0.35;
// Long enough for the panels to be on screen before the pets emerge.
constexpr double kRevealDelay = 0.28;

}  // namespace

PetWindowCoordinator::PetWindowCoordinator(model::AppModel& model) : model_(model) {
    relationshipGeneration = newToken();
    for (auto* tokens : {&returnHomeGenerations, &homeMovementGenerations, &keyboardReactionGenerations,
                         &windowWalkGenerations, &sceneGenerations})
        for (auto& token : *tokens) token = newToken();
    wellbeingGeneration = newToken();
    focusPresentationGeneration = newToken();
    desktopDemoGeneration = newToken();
    appliedPetCount = model_.petCount.get();
}

// The timers and observers end with their handles; nothing else needs undoing.
PetWindowCoordinator::~PetWindowCoordinator() = default;

std::function<void()> PetWindowCoordinator::weakly(std::function<void()> body) const {
    return [alive = std::weak_ptr<char>(alive_), body = std::move(body)] {
        if (alive.lock()) body();
    };
}

double PetWindowCoordinator::now() const {
    return platform::mainLoop().mediaTime();
}

bool PetWindowCoordinator::reduceMotion() {
    // Read at every decision: the desktop setting may change at any time.
    auto* accessibility = platform::services().accessibility;
    return accessibility && accessibility->reduceMotion();
}

platform::Uuid PetWindowCoordinator::newToken() {
    return platform::uuids().next();
}

void PetWindowCoordinator::start() {
    if (!panels.empty()) return;
    createPets();
    rebuildHomes(false);
    observeModel();
    rescheduleAutonomousScenes(true, std::nullopt);

    // Each arrives in the middle of other work: the coordinator acts on the next turn.
    auto later = [this](std::function<void()> work) {
        return [this, work = std::move(work)] { platform::mainLoop().post(weakly(work)); };
    };
    auto& center = platform::notificationCenter();
    systemObservers_.push_back(
        center.addObserver(platform::notifications::screenParametersChanged, later([this] { rebuildHomes(true); })));
    systemObservers_.push_back(center.addObserver(platform::notifications::activeSpaceDidChange, later([this] {
                                                      rebuildHomes(false);
                                                      refreshFullScreenVisibility();
                                                  })));
    auto& loop = platform::mainLoop();
    behaviorTimer =
        loop.schedule(kBehaviorInterval, kBehaviorTolerance, true, weakly(later([this] { advanceBehaviors(); })));
    visibilityTimer = loop.schedule(kVisibilityInterval, kVisibilityTolerance, true, weakly(later([this] {
                                        refreshFullScreenVisibility();
                                        validateWindowWalks();
                                    })));

    updateVisibility(model_.petsVisible.get(), model_.petCount.get());
    if (model_.petsVisible.get()) {
        platform::mainLoop().after(kRevealDelay, weakly([this] {
                                       const int n = std::min<int>(model_.petCount.get(), int(panels.size()));
                                       for (int i = 0; i < n; ++i)
                                           if (panels[size_t(i)]->isVisible()) petViews[size_t(i)]->revealAtHome();
                                   }));
    }
}

void PetWindowCoordinator::createPets() {
    for (const auto& profile : model::PetProfile::profiles()) {
        std::shared_ptr<PetPanel> panel = platform::panelFactory().createPanel({0, 0, kPetSide, kPetSide});
        auto view = std::make_unique<PetView>(profile);
        view->setAccessory(model_.accessory(profile.id));

        const int petID = profile.id;
        auto alive = std::weak_ptr<char>(alive_);
        view->onTap = [this, alive, petID] {
            if (alive.lock()) celebrate(petID);
        };
        view->onDragStarted = [this, alive, petID] {
            if (alive.lock()) beginDrag(petID);
        };
        view->onDragMoved = [this, alive, petID](platform::Point proposed) {
            if (!alive.lock()) return proposed;
            const platform::Point origin = clampedDragOrigin(proposed);
            // The view moves the panel itself; the home edge still hides what passes behind it.
            applyHomeEdgeClip(petID, origin);
            return origin;
        };
        view->onDragFinished = [this, alive, petID](const model::PetDragRelease& release) {
            if (alive.lock()) finishDrag(release, petID);
        };
        view->onHomeAttachmentChanged = [this, alive] {
            if (alive.lock()) publishPetsAwayFromHome();
        };

        panel->setRootLayer(view->layer());
        view->setWindow(panel);
        panels.push_back(std::move(panel));
        petViews.push_back(std::move(view));
    }
}

void PetWindowCoordinator::dismissReminder() {
    if (reminderPanel) reminderPanel->orderOut();
    reminderPanel.reset();
    reminderPetID.reset();
}

// ---- the clip rule: a running clip of higher priority holds the pet until its time is up.

bool PetWindowCoordinator::mayStartClip(model::PetClipKind kind, int petID) const {
    if (!isPetID(petID)) return false;
    const auto& director = animationDirectors[size_t(petID)];
    return !(director.current && model::rawValue(*director.current) > model::rawValue(kind) &&
             director.busyUntil > now());
}

void PetWindowCoordinator::claimClip(model::PetClipKind kind, int petID, double duration) {
    if (!isPetID(petID)) return;
    animationDirectors[size_t(petID)] = {kind, now() + duration};
}

void PetWindowCoordinator::releaseClip(model::PetClipKind kind, int petID) {
    if (!isPetID(petID)) return;
    auto& director = animationDirectors[size_t(petID)];
    if (director.current == kind) director = {};
}

void PetWindowCoordinator::resetDirector(int petID) {
    if (isPetID(petID)) animationDirectors[size_t(petID)] = {};
}

}  // namespace pets
