#include "model/CompanionTracker.h"

#include "model/AppModelTestSupport.h"
#include "model/TimeZoneTestSupport.h"

using namespace model;
using platform::Date;

namespace {

struct CompanionTrackerTest : model::testing::AppModelTest {
    std::unique_ptr<AppModel> model = launch();
    std::shared_ptr<CompanionTracker> tracker = CompanionTracker::create(*model);

    double companionSeconds() const { return model->companionRecord->totalCompanionSeconds; }
};

TEST_F(CompanionTrackerTest, eachMinute_creditsSixtySecondsOnlyWhileThePetsAreShown) {
    tracker->start();
    sim.loop.advance(60);
    EXPECT_DOUBLE_EQ(companionSeconds(), 60);

    model->petsVisible = false;
    sim.loop.advance(60);
    model->petsVisible = true;
    model->isHiddenForFullScreen = true;
    sim.loop.advance(60);
    EXPECT_DOUBLE_EQ(companionSeconds(), 60);

    model->isHiddenForFullScreen = false;
    sim.loop.advance(120);
    EXPECT_DOUBLE_EQ(companionSeconds(), 180);
}

TEST_F(CompanionTrackerTest, minuteTick_raisesADueReminder) {
    // The model has just been created: rest is due fifty minutes after launch.
    tracker->start();
    sim.loop.advance(49 * 60);
    EXPECT_EQ(model->wellbeingAction.get(), std::nullopt);
    sim.loop.advance(60);
    EXPECT_EQ(model->wellbeingAction.get(), WellbeingAction::stretch);
}

TEST_F(CompanionTrackerTest, startTwice_keepsOneMinuteTimerAndOneSubscription) {
    tracker->start();
    tracker->start();
    EXPECT_EQ(sim.loop.activeTimerCount(), 1u);
    model->startFocus(2);
    sim.loop.advance(5);  // the focus sign clears
    EXPECT_EQ(sim.loop.activeTimerCount(), 2u);
    EXPECT_TRUE(tracker->hasFocusTimer());
    sim.loop.advance(55);
    EXPECT_DOUBLE_EQ(companionSeconds(), 60) << "one minute timer, one credit";
}

TEST_F(CompanionTrackerTest, focusSession_countsDownEverySecondAndStopsItsTimerAtTheEnd) {
    tracker->start();
    model->startFocus(1);
    sim.loop.advance(1);
    EXPECT_DOUBLE_EQ(model->focusRemaining.get(), 59);
    sim.loop.advance(30);
    EXPECT_DOUBLE_EQ(model->focusRemaining.get(), 29);

    // A repeated "active" does not start a second timer.
    model->isFocusActive = true;
    EXPECT_EQ(sim.loop.activeTimerCount(), 2u) << "the minute and the focus timer";

    sim.loop.advance(30);
    EXPECT_FALSE(model->isFocusActive.get());
    EXPECT_FALSE(tracker->hasFocusTimer());
    EXPECT_EQ(model->companionRecord->completedFocusSessions, 1);
    sim.loop.advance(10);
    EXPECT_EQ(model->companionRecord->completedFocusSessions, 1);
}

struct RestoredFocusTest : model::testing::AppModelTest {};

TEST_F(RestoredFocusTest, sessionRestoredAtLaunch_getsItsCountdownAtStart) {
    store(keys::focusEndsAt, now().addingTimeInterval(90));
    auto model = launch();
    sim.loop.advance(20);
    auto tracker = CompanionTracker::create(*model);
    tracker->start();
    EXPECT_DOUBLE_EQ(model->focusRemaining.get(), 70) << "updated at once, not a second later";
    EXPECT_TRUE(tracker->hasFocusTimer());
}

TEST_F(RestoredFocusTest, sessionThatEndsBeforeTheTrackerStarts_leavesNoTimerTicking) {
    store(keys::focusEndsAt, now().addingTimeInterval(0.5));
    auto model = launch();
    ASSERT_TRUE(model->isFocusActive.get());
    sim.loop.advance(1);
    auto tracker = CompanionTracker::create(*model);
    tracker->start();
    EXPECT_EQ(model->companionRecord->completedFocusSessions, 1);
    EXPECT_FALSE(model->isFocusActive.get());
    EXPECT_FALSE(tracker->hasFocusTimer());
    sim.loop.advance(5);  // the completion sign clears
    EXPECT_EQ(sim.loop.activeTimerCount(), 1u) << "only the minute timer";
}

TEST_F(CompanionTrackerTest, releasedTracker_leavesTheModelAlone) {
    tracker->start();
    model->startFocus(25);
    tracker.reset();
    sim.loop.advance(120);
    EXPECT_DOUBLE_EQ(companionSeconds(), 0);
    EXPECT_DOUBLE_EQ(model->focusRemaining.get(), 25 * 60);
}

TEST_F(CompanionTrackerTest, tickJustAfterMidnight_creditsTheNewDay) {
    model::testing::TimeZoneOverride zone(model::testing::kEastern);
    const Date midnight = platform::calendar::startOfDayAdding(now(), 1);
    sim.loop.advance(midnight.timeIntervalSince(now()) - 30);
    const std::string lastDay = platform::calendar::dayKey(now());

    tracker->start();
    sim.loop.advance(60);  // ticks at 00:00:30
    const std::string newDay = platform::calendar::dayKey(now());
    ASSERT_NE(newDay, lastDay);
    const auto& daily = model->companionRecord->dailyCompanionSeconds;
    EXPECT_DOUBLE_EQ(daily.at(newDay), 60);
    EXPECT_EQ(daily.count(lastDay), 0u);
    sim.loop.advance(60);
    EXPECT_DOUBLE_EQ(model->companionRecord->dailyCompanionSeconds.at(newDay), 120);
}

}  // namespace
