#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/CompanionModels.h"
#include "model/L10nTestSupport.h"
#include "model/TimeZoneTestSupport.h"

using namespace model;
using model::testing::TimeZoneOverride;
using platform::calendar::dateFromLocal;

namespace {

// The record's measures and the all-time key count, as the wall reads them.
struct Measures {
    double seconds = 0;
    int64_t keys = 0;
    int64_t sessions = 0;
    int daysWithTime = 0;
};

CompanionRecord recordWith(const Measures& m) {
    CompanionRecord r = CompanionRecord::startingAt(platform::Date{800000000});
    r.totalCompanionSeconds = m.seconds;
    r.completedFocusSessions = m.sessions;
    for (int d = 1; d <= m.daysWithTime; ++d)
        r.dailyCompanionSeconds["2026-01-" + std::string(d < 10 ? "0" : "") + std::to_string(d)] = 60;
    return r;
}

struct Threshold {
    CompanionUnlock badge;
    Measures below;
    std::string textBelow;
    Measures at;
    std::string textAt;
};

struct CompanionAchievements : ::testing::Test {
    model::testing::LanguageChoiceReset languageReset;
    CompanionAchievements() { L10n::setAppLanguageChoice(AppLanguageChoice::english); }

    static CompanionAchievementState stateOf(const CompanionRecord& r, int64_t keys, CompanionUnlock badge) {
        return r.achievementStates(keys).at(static_cast<size_t>(badge));
    }
};

}  // namespace

TEST_F(CompanionAchievements, eachUnlocksAtItsThresholdAndShowsItsProgress) {
    const std::vector<Threshold> thresholds{
        {CompanionUnlock::firstSteps, {.seconds = 599}, "9 / 10 minutes", {.seconds = 600}, "10 / 10 minutes"},
        {CompanionUnlock::keyboardFriend, {.keys = 99}, "99 / 100 key presses", {.keys = 100}, "100 / 100 key presses"},
        {CompanionUnlock::steadyCompanion, {.seconds = 3599}, "59 / 60 minutes", {.seconds = 3600}, "60 / 60 minutes"},
        {CompanionUnlock::focusBuddy, {.sessions = 0}, "0 / 1 session", {.sessions = 1}, "1 / 1 session"},
        {CompanionUnlock::focusApprentice, {.sessions = 2}, "2 / 3 sessions", {.sessions = 3}, "3 / 3 sessions"},
        {CompanionUnlock::oldFriend, {.daysWithTime = 4}, "4 / 5 days", {.daysWithTime = 5}, "5 / 5 days"},
        {CompanionUnlock::keyRhythm,
         {.keys = 999},
         "999 / 1,000 key presses",
         {.keys = 1000},
         "1,000 / 1,000 key presses"},
        {CompanionUnlock::weekTogether, {.daysWithTime = 6}, "6 / 7 days", {.daysWithTime = 7}, "7 / 7 days"},
        {CompanionUnlock::typingMeteor,
         {.keys = 4999},
         "4,999 / 5,000 key presses",
         {.keys = 5000},
         "5,000 / 5,000 key presses"},
        {CompanionUnlock::longDay, {.seconds = 86399}, "23 / 24 hours", {.seconds = 86400}, "24 / 24 hours"},
        {CompanionUnlock::focusGuardian, {.sessions = 9}, "9 / 10 sessions", {.sessions = 10}, "10 / 10 sessions"},
        {CompanionUnlock::twoWeeks, {.daysWithTime = 13}, "13 / 14 days", {.daysWithTime = 14}, "14 / 14 days"},
        {CompanionUnlock::keyGalaxy,
         {.keys = 19999},
         "19,999 / 20,000 key presses",
         {.keys = 20000},
         "20,000 / 20,000 key presses"},
        {CompanionUnlock::longCompanion, {.daysWithTime = 29}, "29 / 30 days", {.daysWithTime = 30}, "30 / 30 days"},
        {CompanionUnlock::focusMaster, {.sessions = 24}, "24 / 25 sessions", {.sessions = 25}, "25 / 25 sessions"},
        {CompanionUnlock::hundredHours, {.seconds = 359999}, "99 / 100 hours", {.seconds = 360000}, "100 / 100 hours"},
    };
    // The names kept in the stored record: they never change.
    const std::vector<std::string> stored{
        "firstSteps", "keyboardFriend", "steadyCompanion", "focusBuddy", "focusApprentice", "oldFriend",
        "keyRhythm",  "weekTogether",   "typingMeteor",    "longDay",    "focusGuardian",   "twoWeeks",
        "keyGalaxy",  "longCompanion",  "focusMaster",     "hundredHours"};
    ASSERT_EQ(thresholds.size(), allCases<CompanionUnlock>.size());

    for (size_t i = 0; i < thresholds.size(); ++i) {
        const Threshold& t = thresholds[i];
        const std::string& badge = stored.at(i);
        CompanionRecord below = recordWith(t.below);
        const CompanionAchievementState shownBelow = stateOf(below, t.below.keys, t.badge);
        EXPECT_FALSE(shownBelow.isUnlocked) << badge;
        EXPECT_LT(shownBelow.progress, 1.0) << badge;
        EXPECT_EQ(shownBelow.progressText, t.textBelow) << badge;
        const bool predicted = below.hasNewUnlocks(t.below.keys);
        const auto before = below.unlockedIDs;
        below.refreshUnlocks(t.below.keys);
        EXPECT_FALSE(below.unlockedIDs.count(badge)) << badge;
        EXPECT_EQ(predicted, below.unlockedIDs != before) << badge;

        CompanionRecord at = recordWith(t.at);
        EXPECT_TRUE(at.hasNewUnlocks(t.at.keys)) << badge;
        at.refreshUnlocks(t.at.keys);
        EXPECT_TRUE(at.unlockedIDs.count(badge)) << badge;
        EXPECT_FALSE(at.hasNewUnlocks(t.at.keys)) << badge;
        const CompanionAchievementState shownAt = stateOf(at, t.at.keys, t.badge);
        EXPECT_TRUE(shownAt.isUnlocked) << badge;
        EXPECT_EQ(shownAt.progress, 1.0) << badge;
        EXPECT_EQ(shownAt.progressText, t.textAt) << badge;
        EXPECT_EQ(shownAt.id(), badge);
    }
}

TEST_F(CompanionAchievements, oldFriendReadsInWhicheverRatioIsFurtherAlongAndTiesReadInDays) {
    CompanionRecord fiveHours = recordWith({.seconds = 18000, .daysWithTime = 1});
    fiveHours.refreshUnlocks(0);
    EXPECT_TRUE(fiveHours.unlockedIDs.count("oldFriend"));
    EXPECT_EQ(stateOf(fiveHours, 0, CompanionUnlock::oldFriend).progressText, "5 / 5 hours");

    CompanionRecord fourDays = recordWith({.seconds = 3600, .daysWithTime = 4});
    fourDays.refreshUnlocks(0);
    EXPECT_FALSE(fourDays.unlockedIDs.count("oldFriend"));
    const auto state = stateOf(fourDays, 0, CompanionUnlock::oldFriend);
    EXPECT_DOUBLE_EQ(state.progress, 0.8);
    EXPECT_EQ(state.progressText, "4 / 5 days");

    EXPECT_EQ(stateOf(recordWith({.seconds = 7200, .daysWithTime = 2}), 0, CompanionUnlock::oldFriend).progressText,
              "2 / 5 days");
}

TEST_F(CompanionAchievements, freshRecordShowsOneDayAndKeyCountsShowAsUnlockedBeforeTheyAreStored) {
    CompanionRecord fresh = CompanionRecord::startingAt(platform::Date{800000000});
    EXPECT_EQ(fresh.companionDays(), 1);
    const auto week = stateOf(fresh, 0, CompanionUnlock::weekTogether);
    EXPECT_EQ(week.progressText, "1 / 7 days");
    EXPECT_FALSE(week.isUnlocked);

    const auto states = fresh.achievementStates(20000);
    ASSERT_EQ(states.size(), 16u);
    for (auto badge : {CompanionUnlock::keyboardFriend, CompanionUnlock::keyRhythm, CompanionUnlock::typingMeteor,
                       CompanionUnlock::keyGalaxy})
        EXPECT_TRUE(states[static_cast<size_t>(badge)].isUnlocked) << rawValue(badge);
    EXPECT_TRUE(fresh.unlockedIDs.empty());

    fresh.unlockedIDs.insert("keyGalaxy");  // stored unlocks stay, whatever the count says
    EXPECT_TRUE(stateOf(fresh, 0, CompanionUnlock::keyGalaxy).isUnlocked);
    EXPECT_EQ(stateOf(fresh, 0, CompanionUnlock::keyGalaxy).progress, 0.0);
}

TEST_F(CompanionAchievements, damagedNumbersShowNeitherNegativeNorEndlessProgress) {
    for (double seconds : {-500.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        const auto state = stateOf(recordWith({.seconds = seconds}), -3, CompanionUnlock::firstSteps);
        EXPECT_GE(state.progress, 0.0) << seconds;
        EXPECT_LE(state.progress, 1.0) << seconds;
        EXPECT_EQ(state.progressText, std::isinf(seconds) ? "10 / 10 minutes" : "0 / 10 minutes") << seconds;
    }
    EXPECT_EQ(stateOf(recordWith({}), -3, CompanionUnlock::keyboardFriend).progressText, "0 / 100 key presses");
}

TEST(CompanionTime, minutesAreCreditedToTheLocalDayTheyFallOn) {
    TimeZoneOverride zone(model::testing::kUtc);
    CompanionRecord r = CompanionRecord::startingAt(dateFromLocal(2026, 3, 7, 9));
    r.addCompanion(60, dateFromLocal(2026, 3, 7, 12));
    r.addCompanion(60, dateFromLocal(2026, 3, 7, 12, 1));
    EXPECT_EQ(r.dailyCompanionSeconds, (std::map<std::string, double>{{"2026-03-07", 120}}));

    r.addCompanion(60, dateFromLocal(2026, 3, 7, 23, 59, 30));
    r.addCompanion(60, dateFromLocal(2026, 3, 8, 0, 0, 30));
    EXPECT_EQ(r.dailyCompanionSeconds, (std::map<std::string, double>{{"2026-03-07", 180}, {"2026-03-08", 60}}));

    zone.switchTo(model::testing::kTokyo);  // 2026-03-08 16:00 there
    r.addCompanion(60, dateFromLocal(2026, 3, 9, 1));
    EXPECT_EQ(r.dailyCompanionSeconds.at("2026-03-09"), 60);
    EXPECT_EQ(r.totalCompanionSeconds, 300);
}

TEST(CompanionTime, onlyRealTimeChangesTheRecordAndRefreshesTheUnlocks) {
    CompanionRecord r = CompanionRecord::startingAt(platform::Date{800000000});
    r.totalCompanionSeconds = 600;  // unlocks on the next refresh
    const CompanionRecord before = r;
    for (double seconds : {0.0, -60.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        r.addCompanion(seconds, platform::Date{800000000});
        EXPECT_EQ(r, before) << seconds;
    }
    r.addCompanion(1, platform::Date{800000000});
    EXPECT_EQ(r.unlockedIDs, (std::set<std::string>{"firstSteps"}));
}
