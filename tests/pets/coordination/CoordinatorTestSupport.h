#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

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
    void playHomePeek(int pet) { c.playHomePeek(pet); }
    void playHomeScoot(int pet) { c.playHomeScoot(pet); }
    int& behaviorTurn() { return c.behaviorTurn; }
    void ambientPose(int pet) { c.applyAmbientPose(pet, c.idleSeconds(), c.now()); }
    bool startWindowWalk(int pet) { return c.startWindowWalk(pet); }
    bool performRelationship(model::PetRelationshipEvent event) { return c.performRelationship(event); }
    double& relationshipBusyUntil() { return c.relationshipBusyUntil; }
};

namespace testing {

// Where a panel held still for a while: the place, when it got there and when it left (the
// end of the film when it never did).
struct Stop {
    platform::Point at;
    double from, until;
};

// The pets' panel origins, one frame per `step` seconds of the virtual clock.
struct Film {
    std::vector<double> times;
    std::vector<std::vector<platform::Point>> frames;

    // Each place a pet stayed at for `hold` seconds or more, in order.
    std::vector<Stop> stops(size_t pet, double hold = 0.04) const {
        std::vector<Stop> out;
        for (size_t i = 0, j = 0; i < frames.size(); i = j) {
            while (j < frames.size() && frames[j][pet] == frames[i][pet]) ++j;
            const double until = j < frames.size() ? times[j] : times.back();
            if (until - times[i] >= hold) out.push_back({frames[i][pet], times[i], until});
        }
        return out;
    }
    // When the pet first stood elsewhere than in the first frame.
    std::optional<double> departure(size_t pet) const {
        for (size_t i = 0; i < frames.size(); ++i)
            if (frames[i][pet] != frames[0][pet]) return times[i];
        return std::nullopt;
    }
};

// A screen whose pets live behind one of its edges.
struct HomeSide {
    const char* name;
    model::HomeEdge edge;
    platform::Screen screen;

    // Where the screen's usable area ends on that side: the pet shows only in front of it.
    double line() const {
        switch (edge) {
            case model::HomeEdge::bottom:
                return screen.visibleFrame.minY();
            case model::HomeEdge::top:
                return screen.frame.maxY() - screen.safeAreaInsets.top;
            case model::HomeEdge::left:
                return screen.visibleFrame.minX();
            case model::HomeEdge::right:
                return screen.visibleFrame.maxX();
        }
        return 0;
    }
    bool horizontal() const { return edge == model::HomeEdge::bottom || edge == model::HomeEdge::top; }
    double along(platform::Point p) const { return horizontal() ? p.x : p.y; }
    double across(platform::Point p) const { return horizontal() ? p.y : p.x; }
    // How far a panel of `side` points at `p` reaches out in front of the edge, none to all of it.
    double shown(platform::Point p, double side) const {
        const bool outwardIsUp = edge == model::HomeEdge::bottom || edge == model::HomeEdge::left;
        return std::clamp(outwardIsUp ? across(p) + side - line() : line() - across(p), 0.0, side);
    }
};

// Screens with their pets' homes at the bottom, at either side and at the top.
inline const std::vector<HomeSide>& homeSides() {
    using platform::sim::SimScreens;
    static const std::vector<HomeSide> sides{
        {"bottom", model::HomeEdge::bottom, SimScreens::display(1, {0, 0, 1440, 900}, {.top = 32, .bottom = 48}, true)},
        {"left", model::HomeEdge::left, SimScreens::display(1, {0, 0, 1440, 900}, {.top = 32, .left = 70}, true)},
        {"right", model::HomeEdge::right, SimScreens::display(1, {0, 0, 1440, 900}, {.top = 32, .right = 70}, true)},
        // A camera housing at the top of a built-in screen: its lower edge is the home.
        {"top", model::HomeEdge::top,
         SimScreens::withNotch(SimScreens::display(1, {0, 0, 1440, 900}, {.top = 32, .bottom = 48}, true))},
    };
    return sides;
}

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
    // Both pets started afresh at home on a screen of that shape.
    void startOn(const HomeSide& side) {
        coordinator.reset();
        sim.screens.setScreens({side.screen});
        sim.loop.runPending();
        restart();
    }
    // Both pets' panels while the loop runs `seconds` on, times counted from now.
    Film film(double seconds, double step = 0.01) {
        Film f;
        const double t0 = mediaNow();
        for (int k = 0;; ++k) {
            f.times.push_back(mediaNow() - t0);
            f.frames.push_back({origin(0), origin(1)});
            if (k * step >= seconds) break;
            sim.loop.advance(t0 + (k + 1) * step - mediaNow());
        }
        return f;
    }
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
