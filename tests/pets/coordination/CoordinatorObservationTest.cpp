#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "platform/Services.h"

namespace pets::testing {
namespace {

using model::PetActivity;
using model::PetHomePreference;
using platform::sim::SimScreens;

struct CoordinatorObservationTest : CoordinatorTest {
    // Another program's window covering the whole display, in front.
    void enterFullScreen() {
        sim.windowList.frontmostPid = 99;
        sim.windowList.windows = {{.number = 5, .ownerPid = 99, .bounds = {0, 0, 1440, 900}}};
    }
    void leaveFullScreen() { sim.windowList.windows.clear(); }
    bool shown(int i) { return panel(i).isVisible() && view(i).presentationActive(); }
    bool hidden(int i) { return !panel(i).isVisible() && !view(i).presentationActive(); }
};

// ---- visibility

TEST_F(CoordinatorObservationTest, hidingThePets_parksThemAtHomeCancelsTheirMovesAndOrdersThemOut) {
    start();
    auto a = access();
    putAway(0, {300, 300});
    a.move(0, {900, 300}, 2, true);
    auto sign = std::shared_ptr<PetPanel>(platform::panelFactory().createPanel({0, 0, 120, 80}));
    sign->orderFront();
    a.reminderPanel() = sign;

    model->petsVisible = false;
    EXPECT_TRUE(hidden(0));
    EXPECT_TRUE(hidden(1));
    EXPECT_FALSE(sign->isVisible());
    EXPECT_EQ(a.runningMotions(), 0u);
    expectNear(origin(0), kHome0);
    EXPECT_TRUE(view(0).isHomeAttached());
    EXPECT_EQ(view(0).activity(), PetActivity::home);

    model->petsVisible = true;
    EXPECT_TRUE(shown(0));
    EXPECT_TRUE(shown(1));
}

TEST_F(CoordinatorObservationTest, fullScreenApplication_hidesThePetsWithinATickAndTheyComeBackHome) {
    start();
    access().pendingReminder() = model::WellbeingAction::lookFar;
    enterFullScreen();
    sim.loop.advance(1.5);
    EXPECT_TRUE(model->isHiddenForFullScreen.get());
    EXPECT_TRUE(hidden(0));
    EXPECT_TRUE(hidden(1));

    leaveFullScreen();
    putAway(0, {300, 300});  // as if something had moved it meanwhile
    sim.loop.advance(1.5);
    EXPECT_FALSE(model->isHiddenForFullScreen.get());
    EXPECT_TRUE(shown(0));
    EXPECT_TRUE(shown(1));
    expectNear(origin(0), kHome0);
    // The reminder that was waiting for the pets to be back is still waiting.
    EXPECT_EQ(access().pendingReminder(), model::WellbeingAction::lookFar);
}

TEST_F(CoordinatorObservationTest, fullScreenWithHidingOff_leavesThePetsShown) {
    store(model::keys::hideInFullScreen, false);
    start();
    enterFullScreen();
    sim.loop.advance(3);
    EXPECT_TRUE(shown(0));

    model->hideInFullScreen = true;
    EXPECT_TRUE(hidden(0));
    model->hideInFullScreen = false;
    EXPECT_TRUE(shown(0));
    EXPECT_FALSE(model->isHiddenForFullScreen.get());
}

// ---- pet count

TEST_F(CoordinatorObservationTest, petCountTwoToOne_ordersTheSecondOutAndSnapsTheFirstToTheCentre) {
    start();
    putAway(0, {300, 300});
    access().manuallyPlaced().insert(0);
    model->petCount = 1;
    EXPECT_TRUE(hidden(1));
    EXPECT_FALSE(view(1).isHomeAttached());
    EXPECT_TRUE(shown(0));
    expectNear(origin(0), {694, 26});
    EXPECT_TRUE(view(0).isGrippingHome());
    EXPECT_TRUE(access().manuallyPlaced().empty());

    model->petCount = 2;
    EXPECT_TRUE(shown(1));
    expectNear(origin(0), kHome0);
    expectNear(origin(1), kHome1);
    EXPECT_TRUE(view(1).isHomeAttached());
}

TEST_F(CoordinatorObservationTest, petCountSetAgain_changesNothing) {
    start();
    putAway(0, {300, 300});
    model->petCount = 2;
    expectNear(origin(0), {300, 300});
}

TEST_F(CoordinatorObservationTest, petCountChangeWhileHidden_keepsTheNewPetOut) {
    store(model::keys::petCount, int64_t(1));
    start();
    model->petsVisible = false;
    model->petCount = 2;
    EXPECT_TRUE(hidden(0));
    EXPECT_TRUE(hidden(1));
    expectNear(origin(1), kHome1);
}

// ---- home preferences

TEST_F(CoordinatorObservationTest, homePreferenceGivingTheSameHomes_leavesThePetsAlone) {
    start();
    auto a = access();
    a.move(0, {300, 300}, 2, true);
    model->setHomePreference(PetHomePreference::dock, 1);  // the taskbar home already
    EXPECT_EQ(a.runningMotions(), 1u);
    EXPECT_TRUE(view(0).isTravelling());
}

TEST_F(CoordinatorObservationTest, homePreferenceChange_snapsThatPetHomeAndWalksTheSignHolderBack) {
    sim.screens.setScreens({SimScreens::withNotch(SimScreens::display(1, {0, 0, 1440, 900}, {.top = 32}, true))});
    sim.loop.runPending();
    start();
    auto a = access();
    ASSERT_EQ(a.homes()[1].edge, model::HomeEdge::top);
    putAway(0, {300, 300});
    a.reminderPetID() = 0;

    model->setHomePreference(PetHomePreference::dock, 1);
    EXPECT_EQ(a.homes()[1].edge, model::HomeEdge::bottom);
    expectNear(origin(1), a.homes()[1].origin);
    EXPECT_TRUE(view(1).isHomeAttached());
    EXPECT_EQ(a.reminderPetID(), std::nullopt);
    // The sign's pet kept its home and walks back to it.
    EXPECT_EQ(view(0).activity(), PetActivity::roaming);
    sim.loop.advance(6);
    expectNear(origin(0), a.homes()[0].origin);
}

// ---- accessories and drops

TEST_F(CoordinatorObservationTest, accessoryChange_dressesThatPet) {
    start();
    model->setAccessory(model::PetAccessory::starPin, 1);
    EXPECT_EQ(view(1).accessory(), model::PetAccessory::starPin);
    EXPECT_EQ(view(0).accessory(), model::PetAccessory::none);
}

}  // namespace
}  // namespace pets::testing
