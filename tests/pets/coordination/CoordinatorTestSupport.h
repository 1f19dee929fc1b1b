#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "model/AppModel.h"
#include "model/AppModelTestSupport.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"
#include "platform/sim/SimPlatform.h"

namespace pets {

// The coordinator's private state and operations, for the tests only.
struct CoordinatorTestAccess {
    PetWindowCoordinator& c;

    std::vector<PetHome>& homes() { return c.homes; }
    PetView& view(int i) { return *c.petViews[size_t(i)]; }
    const std::shared_ptr<PetPanel>& panel(int i) { return c.panels[size_t(i)]; }
    double& sceneBusyUntil(int i) { return c.sceneBusyUntil[size_t(i)]; }
    std::set<int>& manuallyPlaced() { return c.manuallyPlacedPetIDs; }
    std::optional<model::WellbeingAction>& pendingReminder() { return c.pendingReminder; }
    std::shared_ptr<PetPanel>& reminderPanel() { return c.reminderPanel; }
    std::optional<int>& reminderPetID() { return c.reminderPetID; }
    std::optional<double>& explicitHomeHoldUntil() { return c.explicitHomeHoldUntil; }
    size_t runningMotions() const { return c.frameAnimationTimers.size(); }
    std::optional<int> activeMilestonePetID() const { return c.activeMilestonePetID; }
    void beginDrag(int pet) { c.beginDrag(pet); }
    void celebrate(int pet) { c.celebrate(pet); }
    void finishDrag(const model::PetDragRelease& release, int pet) { c.finishDrag(release, pet); }

    bool mayStartClip(model::PetClipKind k, int pet) { return c.mayStartClip(k, pet); }
    void claimClip(model::PetClipKind k, int pet, double d) { c.claimClip(k, pet, d); }
    void releaseClip(model::PetClipKind k, int pet) { c.releaseClip(k, pet); }
    void move(int pet, platform::Point to, double duration, bool locomotion) {
        c.move(c.panels[size_t(pet)], to, true, duration, locomotion, std::nullopt);
    }
    void stopFrameAnimation(int pet) { c.stopFrameAnimation(*c.panels[size_t(pet)]); }
    void movePetHome(int pet, bool animated) { c.movePetHome(pet, animated); }

    void presentMilestone(int64_t count) { c.presentKeyboardMilestone(count); }
    void tick() { c.advanceBehaviors(); }
    double& nextSceneAt(int i) { return c.nextSceneAt[size_t(i)]; }
    double& nextAmbientPoseAt(int i) { return c.nextAmbientPoseAt[size_t(i)]; }
    double& nextRelationshipAt() { return c.nextRelationshipAt; }
    void playLifeScene(model::PetLifeScene scene, int pet) { c.playLifeScene(scene, pet); }
    void roam(int pet) { c.roam(pet, c.sceneGenerations[size_t(pet)] = c.newToken()); }
    void ambientPose(int pet) { c.applyAmbientPose(pet, c.idleSeconds(), c.now()); }
    bool startWindowWalk(int pet) { return c.startWindowWalk(pet); }
    bool performRelationship(model::PetRelationshipEvent event) { return c.performRelationship(event); }
    double& relationshipBusyUntil() { return c.relationshipBusyUntil; }
};

namespace testing {

// The default sim display: 1440 × 900, a 48-point taskbar at the bottom and a 32-point top bar.
// The pets' bottom home: 30 points either side of the centre, 30 points above the screen's
// bottom edge behind a taskbar edge at y = 48.
inline constexpr platform::Point kHome0{664, 26};
inline constexpr platform::Point kHome1{724, 26};
inline constexpr platform::Point kApproach0{664, 50};

struct CoordinatorTest : model::testing::AppModelTest {
    std::unique_ptr<model::AppModel> model;
    std::unique_ptr<PetWindowCoordinator> coordinator;

    // Models the defaults stored so far; start() then starts the coordinator over it.
    void launchModel() { model = launch(); }
    void start() {
        if (!model) launchModel();
        coordinator = std::make_unique<PetWindowCoordinator>(*model);
        coordinator->start();
    }
    CoordinatorTestAccess access() { return {*coordinator}; }
    platform::sim::SimPanel& panel(int i) { return static_cast<platform::sim::SimPanel&>(*access().panel(i)); }
    platform::Point origin(int i) { return panel(i).frame().origin; }
    PetView& view(int i) { return access().view(i); }
    double mediaNow() const { return sim.loop.mediaTime(); }
    // Puts a pet somewhere away from home, as a behaviour or a drop would.
    void putAway(int i, platform::Point at) {
        panel(i).setFrameOrigin(at);
        view(i).setHomeAttached(false, false);
    }
};

// Started pets after their first placement, with no behaviour of their own falling due, and
// the user's hands: keys, taps, grabs and drops.
struct CoordinatorPlayTest : CoordinatorTest {
    void SetUp() override {
        start();
        sim.loop.advance(4);
        quiet();
    }
    // A new coordinator over the same model, which forgets the events it last published.
    void restart() {
        coordinator.reset();
        model->keyboardReaction = std::nullopt, model->keyboardMilestone = std::nullopt;
        model->wellbeingAction = std::nullopt, model->isFocusActive = false;
        SetUp();
    }
    void quiet() {
        auto a = access();
        for (int i : {0, 1}) a.nextSceneAt(i) = a.nextAmbientPoseAt(i) = 1e12;
        a.nextRelationshipAt() = 1e12;
    }
    void type(int64_t sequence, model::KeyboardReactionStyle style = model::KeyboardReactionStyle::bounce) {
        model->keyboardReaction = model::KeyboardReactionEvent{platform::uuids().next(), style, 0.6, sequence};
    }
    // A press on the pet's body and, unless `up` is 0, a drag that far up, held; where it is held.
    platform::Point grab(int pet, double up) {
        using Type = platform::PanelMouseEvent::Type;
        panel(pet).sendMouse(Type::down, {26, 30});
        panel(pet).sendMouse(up == 0 ? Type::up : Type::dragged, {26, 30 + up});
        return origin(pet);
    }
    void tap(int pet) { grab(pet, 0); }
    void drop(int pet, platform::Point at, platform::Vector velocity = {}) {
        access().beginDrag(pet);
        access().finishDrag({at, velocity}, pet);
    }
};

inline void expectNear(platform::Point actual, platform::Point expected, double tolerance = 0.01) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}

}  // namespace testing
}  // namespace pets
