#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "pets/coordination/ReminderPresentationPlan.h"

namespace pets::testing {
namespace {

using model::HomeEdge;
using model::PetActivity;
using model::WellbeingAction;
using platform::Point;

TEST(ReminderPresentationPlan, petStepsOutAndTheSignStaysInsideTheVisibleFrame) {
    // Visible frame 0...1440 x 48...868; the pet 52 x 52, the sign 196 x 72.
    const platform::Rect v{0, 48, 1440, 820};
    const struct {
        const char* home;
        HomeEdge edge;
        Point approach;
        Point pet, card;
    } cases[] = {
        {"bottom: 12 up, sign 10 above, centred", HomeEdge::bottom, {664, 50}, {664, 62}, {592, 124}},
        {"top: 12 down, sign 10 below", HomeEdge::top, {700, 830}, {700, 804}, {628, 722}},
        {"left: 12 right, sign to its right", HomeEdge::left, {20, 400}, {32, 400}, {94, 390}},
        {"right: 12 left, sign to its left", HomeEdge::right, {1380, 400}, {1368, 400}, {1162, 390}},
        {"bottom-right corner: both pushed in", HomeEdge::bottom, {1420, 30}, {1376, 60}, {1232, 122}},
        {"top-left corner: both pushed in, overlapping", HomeEdge::left, {-10, 850}, {12, 804}, {74, 784}},
    };
    for (const auto& c : cases) {
        PetHome home;
        home.edge = c.edge;
        home.approachOrigin = c.approach;
        const auto plan = ReminderPresentationPlan::make(home, v, {52, 52}, {196, 72});
        expectNear(plan.petOrigin, c.pet);
        expectNear(plan.cardOrigin, c.card);
        SCOPED_TRACE(c.home);
    }
}

struct CoordinatorRemindersTest : CoordinatorTest {
    void SetUp() override {
        start();
        sim.loop.advance(0.5);
    }
    void remind(WellbeingAction action) { model->wellbeingAction = action; }
    bool signShown() { return access().reminderPanel() && access().reminderPanel()->isVisible(); }
};

TEST_F(CoordinatorRemindersTest, reminderDuringFullScreen_waitsAndIsShownAfterIt) {
    model->isHiddenForFullScreen = true;
    remind(WellbeingAction::drink);
    EXPECT_EQ(access().pendingReminder(), WellbeingAction::drink);
    EXPECT_FALSE(access().reminderPetID());

    model->isHiddenForFullScreen = false;
    access().tick();
    EXPECT_FALSE(access().pendingReminder());
    EXPECT_EQ(access().reminderPetID(), 1);  // drink, two pets: the second
    sim.loop.advance(1);
    ASSERT_TRUE(signShown());
    EXPECT_TRUE(access().reminderPanel()->ignoresMouseEvents());
    const auto card = access().reminderPanel()->frame();
    EXPECT_NEAR(card.minY(), origin(1).y + 52 + 10, 0.01);  // above the pet of a bottom home
    EXPECT_EQ(view(1).activity(), PetActivity::drinking);

    sim.loop.advance(5);
    EXPECT_FALSE(access().reminderPanel());
    EXPECT_FALSE(access().reminderPetID());
}

TEST_F(CoordinatorRemindersTest, reminderWaitsWhileAMilestoneSignShows) {
    model->keyCountingEnabled = true;
    access().presentMilestone(100);
    ASSERT_EQ(access().activeMilestonePetID(), 0);
    remind(WellbeingAction::stretch);
    EXPECT_EQ(access().activeMilestonePetID(), 0);
    EXPECT_EQ(access().pendingReminder(), WellbeingAction::stretch);
    EXPECT_FALSE(access().reminderPetID());
}

TEST_F(CoordinatorRemindersTest, focusEndWhileASignShows_dismissesItSoLaterRemindersShow) {
    remind(WellbeingAction::stretch);
    sim.loop.advance(1);
    ASSERT_TRUE(signShown());
    access().manuallyPlaced().insert(1);  // the other pet was dropped somewhere by hand

    remind(WellbeingAction::focusComplete);
    EXPECT_FALSE(access().reminderPanel());
    EXPECT_FALSE(access().reminderPetID());
    sim.loop.advance(10);
    remind(WellbeingAction::lookFar);
    EXPECT_EQ(access().reminderPetID(), 1);
}

TEST_F(CoordinatorRemindersTest, sendingHomeRightAfterADemonstrationStarts_stopsTheStaggeredPet) {
    coordinator->desktopDemoGeneration = platform::uuids().next();
    ASSERT_TRUE(coordinator->performDesktopPose(PetActivity::celebrating, model::DesktopDemoTarget::both));
    sim.loop.advance(0.1);
    EXPECT_EQ(view(0).activity(), PetActivity::celebrating);
    coordinator->sendPetsHome(true, false);
    sim.loop.advance(0.5);
    EXPECT_NE(view(1).activity(), PetActivity::celebrating);
}

TEST_F(CoordinatorRemindersTest, fullDemonstration_followsItsTimetableAndThenResumesTheTick) {
    ASSERT_TRUE(coordinator->demonstrateAll(model::DesktopDemoTarget::both));
    const double start = mediaNow();
    std::vector<PetActivity> poses;
    for (auto pose : model::allCases<PetActivity>)
        if (pose != PetActivity::dragged) poses.push_back(pose);
    sim.loop.advance(35 + 0.5);  // the last scene, the second pet 0.42 s after the first
    EXPECT_GT(access().sceneBusyUntil(0), mediaNow());
    EXPECT_GT(access().sceneBusyUntil(1), mediaNow());
    for (size_t j = 0; j < poses.size(); ++j) {
        sim.loop.advance(start + 42 + 2.6 * double(j) + 0.1 - mediaNow());
        EXPECT_EQ(view(0).activity(), poses[j]) << j;
        sim.loop.advance(0.35);
        EXPECT_EQ(view(1).activity(), poses[j]) << j;
        EXPECT_GT(coordinator->desktopDemoUntil, mediaNow());
    }
    sim.loop.advance(start + 42 + 2.6 * double(poses.size()) + 0.1 - mediaNow());
    EXPECT_EQ(coordinator->desktopDemoUntil, PetWindowCoordinator::distantPast);
}

}  // namespace
}  // namespace pets::testing
