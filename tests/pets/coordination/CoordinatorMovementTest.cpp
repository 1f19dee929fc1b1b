#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "platform/Services.h"

namespace pets::testing {
namespace {

using model::PetActivity;
using model::PetHomeCommandResult;
using platform::Point;

struct CoordinatorMovementTest : CoordinatorTest {
    void SetUp() override { start(); }
    // Lets the loop run to `t` seconds after `t0` on the media clock.
    void advanceTo(double t0, double t) { sim.loop.advance(t0 + t - mediaNow()); }
};

// ---- panel motion

TEST_F(CoordinatorMovementTest, move_isDrivenByElapsedTimeAndEndsExactlyAtTheTarget) {
    auto a = access();
    const double t0 = mediaNow();
    a.move(0, {664, 500}, 1.0, false);
    EXPECT_EQ(a.runningMotions(), 1u);
    advanceTo(t0, 0.5 + 1e-9);
    // Halfway through a smoothstep glide.
    expectNear(origin(0), {664, 263}, 0.01);
    advanceTo(t0, 1.1);
    expectNear(origin(0), {664, 500});
    EXPECT_EQ(a.runningMotions(), 0u);
}

TEST_F(CoordinatorMovementTest, move_aNegligibleStepIsPlacedAndEndsTheRunningWalk) {
    auto a = access();
    a.move(0, {1200, 300}, 2.0, true);
    EXPECT_TRUE(view(0).isTravelling());
    sim.loop.advance(0.5);
    const Point here = origin(0);
    a.move(0, {here.x + 0.4, here.y}, 1.0, false);
    expectNear(origin(0), {here.x + 0.4, here.y});
    EXPECT_EQ(a.runningMotions(), 0u);
    EXPECT_FALSE(view(0).isTravelling());
    sim.loop.advance(2);
    expectNear(origin(0), {here.x + 0.4, here.y});
}

TEST_F(CoordinatorMovementTest, stopFrameAnimation_endsTheGaitWhereTheWalkHadGot) {
    auto a = access();
    a.move(0, {1200, 300}, 2.0, true);
    sim.loop.advance(0.5);
    a.stopFrameAnimation(0);
    EXPECT_FALSE(view(0).isTravelling());
    const Point stopped = origin(0);
    sim.loop.advance(2);
    EXPECT_EQ(origin(0), stopped);
}

// ---- the way home

TEST_F(CoordinatorMovementTest, movePetHome_walksFarThenDocksInStagesAndSettles) {
    auto a = access();
    putAway(0, {664 + 340, 50});  // 340 points from the approach point
    const double t0 = mediaNow();
    a.movePetHome(0, true);
    // 340 / 170 + 0.18 = 2.18 s of walking.
    EXPECT_EQ(view(0).activity(), PetActivity::roaming);
    EXPECT_TRUE(view(0).isTravelling());
    EXPECT_DOUBLE_EQ(a.sceneBusyUntil(0), t0 + 2.18 + 1.5);

    advanceTo(t0, 1.1 + 1e-9);
    const double eased = (1.1 / 2.18 - 0.075) / 0.85;
    expectNear(origin(0), {1004 - 340 * eased, 50}, 0.01);

    advanceTo(t0, 2.21);
    expectNear(origin(0), kApproach0);
    EXPECT_FALSE(view(0).isTravelling());
    EXPECT_FALSE(view(0).isHomeAttached());

    advanceTo(t0, 2.23);  // docking begins 0.04 s after the walk
    EXPECT_TRUE(view(0).isHomeAttached());
    advanceTo(t0, 2.53);
    expectNear(origin(0), {664, -5});  // behind the taskbar
    advanceTo(t0, 2.84);
    EXPECT_EQ(view(0).activity(), PetActivity::peeking);

    advanceTo(t0, 3.39);
    expectNear(origin(0), kHome0, 0.1);
    EXPECT_FALSE(view(0).isGrippingHome());
    advanceTo(t0, 3.41);  // settled 2.18 + 0.04 + 1.18 s after the start
    EXPECT_TRUE(view(0).isGrippingHome());
    EXPECT_EQ(view(0).activity(), PetActivity::peeking);
}

TEST_F(CoordinatorMovementTest, movePetHome_nearbyPetGlidesAndTheSecondPetDocksLater) {
    auto a = access();
    putAway(0, {664, 110});
    putAway(1, {724, 110});
    const double t0 = mediaNow();
    a.movePetHome(0, true);
    a.movePetHome(1, true);
    EXPECT_EQ(view(0).activity(), PetActivity::home);
    EXPECT_FALSE(view(0).isTravelling());
    // 0.58 s of gliding, docking 0.04 s later for the first pet and 0.16 s later for the second.
    advanceTo(t0, 0.63);
    EXPECT_TRUE(view(0).isHomeAttached());
    EXPECT_FALSE(view(1).isHomeAttached());
    advanceTo(t0, 0.75);
    EXPECT_TRUE(view(1).isHomeAttached());
}

TEST_F(CoordinatorMovementTest, movePetHome_underReduceMotionPlacesAndSettlesAtOnce) {
    sim.accessibility.setReduceMotion(true);
    auto a = access();
    putAway(0, {664 + 340, 26});
    const double t0 = mediaNow();
    a.movePetHome(0, true);
    expectNear(origin(0), kHome0);
    EXPECT_TRUE(view(0).isGrippingHome());
    EXPECT_EQ(a.runningMotions(), 0u);
    EXPECT_DOUBLE_EQ(a.sceneBusyUntil(0), t0 + 340 / 170.0 + 0.18 + 0.2);
}

TEST_F(CoordinatorMovementTest, movePetHome_aNewWayHomeEndsTheOldArrival) {
    auto a = access();
    putAway(0, {664, 110});
    const double t0 = mediaNow();
    a.movePetHome(0, true);
    advanceTo(t0, 0.7);  // docking has begun
    a.movePetHome(0, true);
    // The old arrival would have the pet peeking by now.
    advanceTo(t0, 1.1);
    EXPECT_EQ(view(0).activity(), PetActivity::home);
    sim.loop.advance(3);
    expectNear(origin(0), kHome0);
}

TEST_F(CoordinatorMovementTest, movePetHome_arrivalStopsWhenTheHomeMovesMeanwhile) {
    auto a = access();
    putAway(0, {664, 110});
    a.movePetHome(0, true);
    a.homes()[0].origin.x += 10;
    sim.loop.advance(3);
    EXPECT_FALSE(view(0).isHomeAttached());
    expectNear(origin(0), kApproach0);
}

// ---- the command

TEST_F(CoordinatorMovementTest, sendPetsHome_reportsWhatItDidAndBringsThePetsHomeAnyway) {
    EXPECT_EQ(coordinator->sendPetsHome(false, false), PetHomeCommandResult::alreadyHome);

    putAway(1, {200, 300});
    EXPECT_EQ(coordinator->sendPetsHome(false, false), PetHomeCommandResult::moved);
    expectNear(origin(1), kHome1);

    model->petsVisible = false;
    putAway(0, {200, 300});
    EXPECT_EQ(coordinator->sendPetsHome(false, false), PetHomeCommandResult::hidden);
    expectNear(origin(0), kHome0);

    model->petsVisible = true;
    sim.screens.setScreens({});
    sim.loop.runPending();
    EXPECT_EQ(coordinator->sendPetsHome(true, true), PetHomeCommandResult::unavailable);
}

TEST_F(CoordinatorMovementTest, sendPetsHome_beforeStartIsUnavailable) {
    PetWindowCoordinator idle(*model);
    EXPECT_EQ(idle.sendPetsHome(true, false), PetHomeCommandResult::unavailable);
}

TEST_F(CoordinatorMovementTest, sendPetsHome_endsTheDemoAndTheSignButKeepsAWaitingReminder) {
    auto a = access();
    std::shared_ptr<PetPanel> sign = platform::panelFactory().createPanel({0, 0, 120, 80});
    sign->orderFront();
    a.reminderPanel() = sign;
    a.reminderPetID() = 0;
    a.pendingReminder() = model::WellbeingAction::drink;
    coordinator->desktopDemoUntil = mediaNow() + 8;
    a.manuallyPlaced().insert(1);

    coordinator->sendPetsHome(true, true);
    EXPECT_FALSE(sign->isVisible());
    EXPECT_EQ(a.reminderPanel(), nullptr);
    EXPECT_EQ(a.reminderPetID(), std::nullopt);
    EXPECT_EQ(a.pendingReminder(), model::WellbeingAction::drink);
    EXPECT_EQ(coordinator->desktopDemoUntil, PetWindowCoordinator::distantPast);
    EXPECT_TRUE(a.manuallyPlaced().empty());
    EXPECT_EQ(a.explicitHomeHoldUntil(), mediaNow() + 8);
}

}  // namespace
}  // namespace pets::testing
