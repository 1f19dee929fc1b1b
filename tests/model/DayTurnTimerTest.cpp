#include "model/DayTurnTimer.h"

#include <gtest/gtest.h>

#include "model/TimeZoneTestSupport.h"
#include "platform/Date.h"
#include "platform/sim/SimPlatform.h"

namespace {

namespace cal = platform::calendar;
using model::testing::TimeZoneOverride;

struct DayTurnTimerTest : ::testing::Test {
    TimeZoneOverride zone{model::testing::kUtc};
    platform::sim::SimPlatform sim;
    int turns = 0;

    std::unique_ptr<model::DayTurnTimer> startAt(platform::Date local) {
        sim.loop.shiftWallClock(local.timeIntervalSince(sim.loop.now()));
        return std::make_unique<model::DayTurnTimer>(sim.loop, sim.notifications, [this] { ++turns; });
    }
    void advanceTo(platform::Date when) { sim.loop.advance(when.timeIntervalSince(sim.loop.now())); }
};

// Three midnights from noon, each seen within a second and not before.
TEST_F(DayTurnTimerTest, theDayTurnsWithinASecondOfEachLocalMidnight) {
    const struct {
        const char* name;
        const char* tz;
        int month, day;  // the first of the days
    } rows[] = {
        {"UTC", model::testing::kUtc, 6, 10},
        {"a spring night an hour short", model::testing::kEastern, 3, 7},
        {"an autumn night an hour long", model::testing::kEastern, 10, 31},
        {"ahead of UTC", model::testing::kTokyo, 12, 31},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        zone.switchTo(row.tz);
        turns = 0;
        const auto timer = startAt(cal::dateFromLocal(2026, row.month, row.day, 12));
        for (int k = 1; k <= 3; ++k) {
            const platform::Date midnight = cal::dateFromLocal(2026, row.month, row.day + k);
            advanceTo(midnight.addingTimeInterval(-2));
            EXPECT_EQ(turns, k - 1) << "before midnight " << k;
            advanceTo(midnight.addingTimeInterval(1));
            EXPECT_EQ(turns, k) << "after midnight " << k;
        }
    }
}

TEST_F(DayTurnTimerTest, aWakeAfterMidnightTurnsTheDayAtOnceAndTheNextMidnightStillCounts) {
    const auto timer = startAt(cal::dateFromLocal(2026, 6, 10, 23));
    sim.loop.shiftWallClock(2 * 3600);  // asleep over midnight
    sim.notifications.post(platform::notifications::systemDidWake);
    EXPECT_EQ(turns, 1);
    advanceTo(cal::dateFromLocal(2026, 6, 12).addingTimeInterval(1));
    EXPECT_EQ(turns, 2);
}

}  // namespace
