#include "pets/coordination/PetWindowCoordinator.h"

#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"

namespace pets::testing {
namespace {

using model::PetClipKind;
using platform::Rect;
using platform::sim::SimScreens;

using PetWindowCoordinatorTest = CoordinatorTest;

// ---- start-up

TEST_F(PetWindowCoordinatorTest, start_showsBothPetsAtTheirHomesTuckedBehindTheTaskbar) {
    start();
    ASSERT_EQ(sim.panels.createdCount(), 2u);
    expectNear(origin(0), kHome0);
    expectNear(origin(1), kHome1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(panel(i).isVisible());
        EXPECT_EQ(panel(i).frame().size, (platform::Size{52, 52}));
        EXPECT_EQ(panel(i).rootLayer(), view(i).layer());
        EXPECT_TRUE(view(i).isHomeAttached());
        // The taskbar's edge is 22 points up the panel: only the part above it is drawn, but all
        // of that, a hop above the square or a sparkle beside it included.
        auto clip = panel(i).clipRect();
        ASSERT_TRUE(clip);
        EXPECT_EQ(clip->minY(), 22);
        for (platform::Point drawn : {platform::Point{26, 70}, {-10, 30}, {62, 30}}) EXPECT_TRUE(clip->contains(drawn));
    }
}

TEST_F(PetWindowCoordinatorTest, startTwice_makesNoSecondPairOfPanelsTimersOrObservers) {
    start();
    const size_t timers = sim.loop.activeTimerCount();
    const size_t fronts = size_t(panel(0).orderFrontCount);
    coordinator->start();
    EXPECT_EQ(sim.panels.createdCount(), 2u);
    EXPECT_EQ(sim.loop.activeTimerCount(), timers);
    EXPECT_EQ(size_t(panel(0).orderFrontCount), fronts);
}

TEST_F(PetWindowCoordinatorTest, startWithOnePet_buildsBothPetsButShowsOnlyTheFirst) {
    store(model::keys::petCount, int64_t(1));
    store(model::keys::petAccessories, strings({"none", "scarf"}));
    start();
    ASSERT_EQ(sim.panels.createdCount(), 2u);
    EXPECT_TRUE(panel(0).isVisible());
    EXPECT_FALSE(panel(1).isVisible());
    EXPECT_FALSE(view(1).presentationActive());
    EXPECT_EQ(view(1).accessory(), model::PetAccessory::scarf);
    // A lone pet lives at the centre.
    expectNear(origin(0), {694, 26});
}

TEST_F(PetWindowCoordinatorTest, startWithPetsHidden_leavesThePanelsOut) {
    store(model::keys::petsVisible, false);
    start();
    EXPECT_FALSE(panel(0).isVisible());
    EXPECT_FALSE(panel(1).isVisible());
    EXPECT_FALSE(view(0).presentationActive());
    // Parked at home, ready to be shown there.
    expectNear(origin(0), kHome0);
}

TEST_F(PetWindowCoordinatorTest, screenChange_rebuildsTheHomesOnceOnTheNextTurnAndWalksThePetsThere) {
    start();
    sim.screens.setScreens({SimScreens::display(1, {0, 0, 1440, 900}, {.top = 32, .bottom = 80}, true)});
    sim.screens.setScreens({SimScreens::display(1, {0, 0, 1440, 900}, {.top = 32, .bottom = 60}, true)});
    sim.loop.runPending();
    EXPECT_EQ(access().homes()[0].origin.y, 60 - 52 + 30);
    EXPECT_EQ(view(0).activity(), model::PetActivity::home);  // a short way: a glide, not a walk
    sim.loop.advance(3);
    expectNear(origin(0), {664, 38});
    expectNear(origin(1), {724, 38});
}

TEST_F(PetWindowCoordinatorTest, desktopSwitch_placesThePetsAtHomeWithoutAWalk) {
    start();
    putAway(0, {300, 400});
    platform::notificationCenter().post(platform::notifications::activeSpaceDidChange);
    sim.loop.runPending();
    expectNear(origin(0), kHome0);
}

// ---- the clip rule

TEST_F(PetWindowCoordinatorTest, clipRule_aHigherClipHoldsThePetUntilItsTimeIsUp) {
    start();
    auto a = access();
    a.claimClip(PetClipKind::lifeScene, 0, 5);
    EXPECT_FALSE(a.mayStartClip(PetClipKind::typing, 0));
    EXPECT_TRUE(a.mayStartClip(PetClipKind::lifeScene, 0));  // equal priority never blocks
    EXPECT_TRUE(a.mayStartClip(PetClipKind::directInteraction, 0));
    EXPECT_TRUE(a.mayStartClip(PetClipKind::typing, 1));  // the other pet is free
    sim.loop.advance(5.01);
    EXPECT_TRUE(a.mayStartClip(PetClipKind::typing, 0));
}

TEST_F(PetWindowCoordinatorTest, clipRule_releasingAnotherKindLeavesTheHolderAlone) {
    start();
    auto a = access();
    a.claimClip(PetClipKind::directInteraction, 0, 30);
    a.releaseClip(PetClipKind::lifeScene, 0);
    EXPECT_FALSE(a.mayStartClip(PetClipKind::milestoneSign, 0));
    a.releaseClip(PetClipKind::directInteraction, 0);
    EXPECT_TRUE(a.mayStartClip(PetClipKind::ambient, 0));
}

TEST_F(PetWindowCoordinatorTest, clipRule_settingTheSystemClockBackDoesNotProlongAHold) {
    start();
    auto a = access();
    a.claimClip(PetClipKind::lifeScene, 0, 5);
    sim.loop.shiftWallClock(-3600);
    sim.loop.advance(5.01);
    EXPECT_TRUE(a.mayStartClip(PetClipKind::typing, 0));
}

// ---- clipping at the home edge

TEST_F(PetWindowCoordinatorTest, homeEdgeClip_followsThePanelAcrossTheEdge) {
    start();
    auto a = access();
    a.movePetHome(0, false);
    a.move(0, {664, -5}, 0, false);  // wholly behind the taskbar
    EXPECT_EQ(panel(0).clipRect()->minY(), 52);
    a.move(0, kApproach0, 0, false);  // wholly in front of it
    EXPECT_EQ(panel(0).clipRect(), std::nullopt);
    a.move(0, {1500, -5}, 0, false);  // beside the screen the taskbar belongs to
    EXPECT_EQ(panel(0).clipRect(), std::nullopt);
}

TEST_F(PetWindowCoordinatorTest, homeEdgeClip_cutsAtASideDockAndAtTheNotch) {
    // A side panel 70 points wide on the left.
    sim.screens.setScreens({SimScreens::display(1, {0, 0, 1440, 900}, {.top = 32, .left = 70}, true)});
    sim.loop.runPending();
    store(model::keys::petCount, int64_t(1));
    start();
    EXPECT_EQ(access().homes()[0].edge, model::HomeEdge::left);
    expectNear(origin(0), {48, 424});
    EXPECT_EQ(panel(0).clipRect(), (Rect{22, -52, 82, 156}));

    sim.screens.setScreens({SimScreens::withNotch(SimScreens::display(1, {0, 0, 1440, 900}, {.top = 32}, true))});
    sim.loop.runPending();
    coordinator->sendPetsHome(false, false);
    EXPECT_EQ(access().homes()[0].edge, model::HomeEdge::top);
    // Hanging 34 points out of the notch: the 18 points above its lower edge are not drawn.
    EXPECT_EQ(panel(0).clipRect(), (Rect{-52, -52, 156, 86}));
}

}  // namespace
}  // namespace pets::testing
