#include "model/AppModelTestSupport.h"

using namespace model;
using platform::Date;

namespace {

struct FocusTest : model::testing::AppModelTest {
    std::unique_ptr<AppModel> model = launch();
};

TEST_F(FocusTest, startFocusWithNoOrNegativeMinutes_startsAOneMinuteSession) {
    for (int minutes : {0, -5}) {
        model->startFocus(minutes);
        EXPECT_TRUE(model->isFocusActive.get());
        EXPECT_DOUBLE_EQ(model->focusRemaining.get(), 60.0);
        EXPECT_EQ(sim.defaults.date(keys::focusEndsAt), now().addingTimeInterval(60));
        EXPECT_EQ(model->wellbeingAction.get(), WellbeingAction::focus);
        model->stopFocus();
    }
    EXPECT_FALSE(sim.defaults.hasObject(keys::focusEndsAt));
    EXPECT_FALSE(model->focusEndsAt.has_value());
    EXPECT_EQ(model->focusRemaining.get(), 0.0);
}

TEST_F(FocusTest, countdownPastTheEnd_countsExactlyOneSessionAndLeavesFocusIdle) {
    model->startFocus(25);
    sim.loop.advance(10);
    model->updateFocusCountdown(now());
    EXPECT_DOUBLE_EQ(model->focusRemaining.get(), 25 * 60 - 10);
    EXPECT_EQ(model->companionRecord->completedFocusSessions, 0);

    sim.loop.advance(25 * 60);
    model->updateFocusCountdown(now());
    model->updateFocusCountdown(now());
    sim.loop.advance(1);
    model->updateFocusCountdown(now());

    EXPECT_EQ(model->companionRecord->completedFocusSessions, 1);
    EXPECT_TRUE(model->companionRecord->unlockedIDs.count("focusBuddy")) << "the first session unlocks at once";
    EXPECT_EQ(storedJson(keys::companionRecord)->at("completedFocusSessions"), 1);
    EXPECT_FALSE(model->isFocusActive.get());
    EXPECT_FALSE(sim.defaults.hasObject(keys::focusEndsAt));
    EXPECT_EQ(model->wellbeingAction.get(), WellbeingAction::focusComplete);
}

TEST_F(FocusTest, settingTheWallClock_neitherStretchesNorCutsASession) {
    model->startFocus(25);
    for (double shift : {-86400.0, 2 * 86400.0}) {
        sim.loop.shiftWallClock(shift);
        sim.loop.advance(10);
        model->updateFocusCountdown(now());
        EXPECT_TRUE(model->isFocusActive.get()) << shift;
    }
    EXPECT_DOUBLE_EQ(model->focusRemaining.get(), 25 * 60 - 20);
    EXPECT_EQ(sim.defaults.date(keys::focusEndsAt), now().addingTimeInterval(25 * 60 - 20)) << "a restart resumes it";
}

TEST_F(FocusTest, remainingText_roundsUpToWholeSecondsWithTwoDigitFields) {
    const std::pair<double, const char*> cases[] = {
        {59.2, "01:00"}, {0, "00:00"}, {-3, "00:00"}, {25 * 60, "25:00"}, {65, "01:05"}, {100 * 60 + 1, "100:01"},
    };
    for (auto [remaining, text] : cases) {
        model->focusRemaining = remaining;
        EXPECT_EQ(model->focusRemainingText(), text) << remaining;
    }
}

TEST_F(FocusTest, wellbeingAction_clearsAfterFourSecondsUnlessANewerTriggerCame) {
    model->triggerWellbeing(WellbeingAction::drink);
    sim.loop.advance(1);
    model->triggerWellbeing(WellbeingAction::lookFar);
    sim.loop.advance(3.5);
    EXPECT_EQ(model->wellbeingAction.get(), WellbeingAction::lookFar) << "the older timer leaves a newer action";
    sim.loop.advance(0.5);
    EXPECT_EQ(model->wellbeingAction.get(), std::nullopt);

    // The same action again: the first timer must not cut the second showing short.
    model->triggerWellbeing(WellbeingAction::stretch);
    sim.loop.advance(3);
    model->triggerWellbeing(WellbeingAction::stretch);
    sim.loop.advance(1.5);
    EXPECT_EQ(model->wellbeingAction.get(), WellbeingAction::stretch);
    sim.loop.advance(2.5);
    EXPECT_EQ(model->wellbeingAction.get(), std::nullopt);
}

struct GentleReminderTest : model::testing::AppModelTest {
    // Every stamp a day old, so every reminder is due; water switched on besides rest.
    std::unique_ptr<AppModel> launchWithDueReminders() {
        const Date dayAgo = now().addingTimeInterval(-86400);
        for (const char* key : {keys::lastRestActionAt, keys::lastWaterActionAt, keys::lastStretchActionAt,
                                keys::lastLookFarActionAt, keys::lastGentleReminderAt})
            store(key, dayAgo);
        store(keys::waterRemindersEnabled, true);
        return launch();
    }
};

TEST_F(GentleReminderTest, restAndWaterDue_restFirstThenWaterAfterTheSpacing) {
    auto model = launchWithDueReminders();
    model->evaluateGentleReminders(now());
    EXPECT_EQ(model->wellbeingAction.get(), WellbeingAction::stretch);
    EXPECT_EQ(sim.defaults.date(keys::lastRestActionAt), now());
    EXPECT_EQ(sim.defaults.date(keys::lastGentleReminderAt), now());
    EXPECT_EQ(model->lastWaterActionAt, now().addingTimeInterval(-86400));

    sim.loop.advance(899);
    model->evaluateGentleReminders(now());
    EXPECT_EQ(model->wellbeingAction.get(), std::nullopt) << "no reminder within 900 s of the last";

    sim.loop.advance(1);
    model->evaluateGentleReminders(now());
    EXPECT_EQ(model->wellbeingAction.get(), WellbeingAction::drink);
    EXPECT_EQ(sim.defaults.date(keys::lastWaterActionAt), now());

    // Stretch and look far are off; rest waits for its fifty minutes.
    sim.loop.advance(900);
    model->evaluateGentleReminders(now());
    EXPECT_EQ(model->wellbeingAction.get(), std::nullopt);
    sim.loop.advance(50 * 60 - 1800);
    model->evaluateGentleReminders(now());
    EXPECT_EQ(model->wellbeingAction.get(), WellbeingAction::stretch);
}

TEST_F(GentleReminderTest, hiddenPetsFullScreenOrFocus_raiseNothingAndMoveNoStamp) {
    auto model = launchWithDueReminders();
    const Date before = model->lastRestActionAt;
    auto attempt = [&] {
        model->evaluateGentleReminders(now());
        EXPECT_EQ(model->wellbeingAction.get(), std::nullopt);
        EXPECT_EQ(model->lastRestActionAt, before);
        EXPECT_EQ(model->lastGentleReminderAt, before);
    };
    model->petsVisible = false;
    attempt();
    model->petsVisible = true;
    model->isHiddenForFullScreen = true;
    attempt();
    model->isHiddenForFullScreen = false;
    model->startFocus(25);
    sim.loop.advance(5);  // lets the focus sign clear
    attempt();
}

TEST_F(GentleReminderTest, stampsAheadOfAClockSetBack_restartTheIntervalsFromNow) {
    auto model = launchWithDueReminders();
    model->evaluateGentleReminders(now());  // rest fires and is stamped
    sim.loop.advance(5);
    sim.loop.shiftWallClock(-30 * 86400.0);
    const Date setBack = now();

    model->evaluateGentleReminders(setBack);
    EXPECT_EQ(model->lastRestActionAt, setBack);
    EXPECT_EQ(model->lastGentleReminderAt, setBack);
    EXPECT_EQ(sim.defaults.date(keys::lastGentleReminderAt), setBack);
    EXPECT_EQ(model->wellbeingAction.get(), std::nullopt);

    // Fifty minutes on the new clock, not thirty days, bring the rest reminder back.
    sim.loop.advance(50 * 60);
    model->evaluateGentleReminders(now());
    EXPECT_EQ(model->wellbeingAction.get(), WellbeingAction::stretch);
}

TEST_F(FocusTest, recordCompanion_addsTimeToTodayAndStoresTheRecord) {
    model->recordCompanion(600);
    EXPECT_DOUBLE_EQ(model->companionRecord->totalCompanionSeconds, 600);
    EXPECT_DOUBLE_EQ(model->companionRecord->dailyCompanionSeconds.at(platform::calendar::dayKey(now())), 600);
    EXPECT_TRUE(model->companionRecord->unlockedIDs.count("firstSteps"));
    EXPECT_EQ(storedJson(keys::companionRecord)->at("totalCompanionSeconds"), 600.0);
    EXPECT_EQ(model->wellbeingAction.get(), std::nullopt);
}

}  // namespace
