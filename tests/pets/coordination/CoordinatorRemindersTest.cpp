#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "pets/coordination/ReminderPresentationPlan.h"

namespace pets::testing {
namespace {

using model::HomeEdge, model::PetActivity, model::WellbeingAction, platform::Point;

TEST(ReminderPresentationPlan, petStepsOutAndTheSignStaysInsideTheVisibleFrame) {
    // Visible frame 0...1440 x 48...868; the pet 52 x 52, the sign 196 x 72.
    const struct {
        HomeEdge edge;
        Point approach, pet, card;
    } cases[] = {
        {HomeEdge::bottom, {664, 50}, {664, 62}, {592, 124}},   // 12 up, sign 10 above, centred
        {HomeEdge::top, {700, 830}, {700, 804}, {628, 722}},    // 12 down, sign 10 below
        {HomeEdge::left, {20, 400}, {32, 400}, {94, 390}},      // 12 right, sign on its right
        {HomeEdge::right, {1380, 400}, {1368, 400}, {1162, 390}},
        {HomeEdge::bottom, {1420, 30}, {1376, 60}, {1232, 122}},  // corner: both pushed in
        {HomeEdge::left, {-10, 850}, {12, 804}, {74, 784}},       // corner: pushed in, overlapping
    };
    for (const auto& c : cases) {
        PetHome home;
        home.edge = c.edge, home.approachOrigin = c.approach;
        const auto plan = ReminderPresentationPlan::make(home, {0, 48, 1440, 820}, {52, 52}, {196, 72});
        expectNear(plan.petOrigin, c.pet), expectNear(plan.cardOrigin, c.card);
    }
}

struct CoordinatorRemindersTest : CoordinatorTest {
    void SetUp() override { start(), sim.loop.advance(0.5); }
    void remind(WellbeingAction action) { model->wellbeingAction = action; }
};

TEST_F(CoordinatorRemindersTest, reminderDuringFullScreen_waitsAndIsShownAfterIt) {
    model->isHiddenForFullScreen = true;
    remind(WellbeingAction::drink);
    EXPECT_EQ(access().pendingReminder(), WellbeingAction::drink);
    model->isHiddenForFullScreen = false;
    access().tick();
    EXPECT_EQ(access().reminderPetID(), 1);  // drink, two pets: the second
    sim.loop.advance(1);
    ASSERT_TRUE(access().reminderPanel() && access().reminderPanel()->isVisible());
    EXPECT_TRUE(access().reminderPanel()->ignoresMouseEvents());
    EXPECT_NEAR(access().reminderPanel()->frame().minY(), origin(1).y + 52 + 10, 0.01);
    EXPECT_EQ(view(1).activity(), PetActivity::drinking);
    sim.loop.advance(5);
    EXPECT_FALSE(access().reminderPanel() || access().reminderPetID());
}

TEST_F(CoordinatorRemindersTest, faults_milestoneKeptAndFocusEndTakesTheSign) {
    model->keyCountingEnabled = true;
    access().presentMilestone(100);
    remind(WellbeingAction::stretch);
    EXPECT_EQ(access().activeMilestonePetID(), 0);
    EXPECT_EQ(access().pendingReminder(), WellbeingAction::stretch);

    sim.loop.advance(10), access().tick();
    ASSERT_TRUE(access().reminderPanel());
    access().manuallyPlaced().insert(1);  // a pet dropped by hand keeps the pets out after the end
    remind(WellbeingAction::focusComplete);
    EXPECT_FALSE(access().reminderPanel() || access().reminderPetID());
    sim.loop.advance(10), remind(WellbeingAction::lookFar);
    EXPECT_EQ(access().reminderPetID(), 1);
}

TEST_F(CoordinatorRemindersTest, duringFocus_aPreviewShowsTheSignWhileADueReminderWaits) {
    const struct {
        const char* name;
        void (model::AppModel::*raise)(WellbeingAction);
        bool shown;
    } cases[] = {
        {"preview", &model::AppModel::previewWellbeing, true},
        {"due reminder", &model::AppModel::triggerWellbeing, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model->startFocus(25);
        sim.loop.advance(3), access().tick();
        ASSERT_EQ(view(1).activity(), PetActivity::drowsy);
        ((*model).*c.raise)(WellbeingAction::drink);
        sim.loop.advance(1);
        EXPECT_EQ(access().reminderPanel() != nullptr, c.shown);
        EXPECT_EQ(access().pendingReminder().has_value(), !c.shown);
        EXPECT_EQ(view(1).activity() == PetActivity::drinking, c.shown);
        // Back home when the sign goes, the pet keeps the session company again.
        sim.loop.advance(7), access().tick();
        EXPECT_FALSE(access().reminderPanel());
        expectNear(origin(1), kHome1);
        EXPECT_EQ(view(1).activity(), PetActivity::drowsy);
        model->stopFocus();
        access().pendingReminder().reset();
    }
}

TEST_F(CoordinatorRemindersTest, reminderDuringARelationship_endsItAndIsShownInFull) {
    ASSERT_TRUE(access().performRelationship(model::PetRelationshipEvent::chase));
    access().relationshipBusyUntil() = mediaNow() + 6;
    sim.loop.advance(0.3), remind(WellbeingAction::drink), sim.loop.advance(4.8);
    EXPECT_TRUE(access().reminderPanel() && access().reminderPanel()->isVisible());
    expectNear(origin(0), kHome0);
}

TEST_F(CoordinatorRemindersTest, sendingHomeRightAfterADemonstrationStarts_stopsTheStaggeredPet) {
    ASSERT_TRUE(coordinator->performDesktopPose(PetActivity::celebrating, model::DesktopDemoTarget::both));
    sim.loop.advance(0.1), coordinator->sendPetsHome(true, false), sim.loop.advance(0.5);
    EXPECT_NE(view(1).activity(), PetActivity::celebrating);
}

TEST_F(CoordinatorRemindersTest, fullDemonstration_followsItsTimetableAndThenResumesTheTick) {
    ASSERT_TRUE(coordinator->demonstrateAll(model::DesktopDemoTarget::both));
    const double start = mediaNow();
    sim.loop.advance(35.5);  // the last scene, the second pet 0.42 s after the first
    EXPECT_GT(std::min(access().sceneBusyUntil(0), access().sceneBusyUntil(1)), mediaNow());
    size_t j = 0;
    for (auto pose : model::allCases<PetActivity>) {
        if (pose == PetActivity::dragged) continue;
        sim.loop.advance(start + 42 + 2.6 * double(j++) + 0.1 - mediaNow());
        EXPECT_EQ(view(0).activity(), pose);
        EXPECT_EQ((sim.loop.advance(0.35), view(1).activity()), pose);
    }
    EXPECT_GT(coordinator->desktopDemoUntil, mediaNow());
    sim.loop.advance(start + 42 + 2.6 * double(j) + 0.1 - mediaNow());
    EXPECT_EQ(coordinator->desktopDemoUntil, PetWindowCoordinator::distantPast);
}

}  // namespace
}  // namespace pets::testing
