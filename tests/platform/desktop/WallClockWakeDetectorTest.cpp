#include "platform/desktop/WallClockWakeDetector.h"

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace {

struct WallClockWakeDetectorTest : ::testing::Test {
    platform::sim::SimPlatform sim;
    platform::WallClockWakeDetector detector{sim.loop, sim.notifications};
    int wakes = 0;
    platform::Subscription observer =
        sim.notifications.addObserver(platform::notifications::systemDidWake, [this] { ++wakes; });
};

TEST_F(WallClockWakeDetectorTest, wallClockRunningAheadOfTheMonotonicOne_isOneWake) {
    detector.start();
    sim.loop.advance(60);
    EXPECT_EQ(wakes, 0) << "both clocks in step";

    sim.loop.shiftWallClock(2 * 3600);  // asleep for two hours
    sim.loop.advance(10);
    EXPECT_EQ(wakes, 1);
    sim.loop.advance(60);
    EXPECT_EQ(wakes, 1) << "reported once";
}

TEST_F(WallClockWakeDetectorTest, clockSetBackOrNudged_isNoWake) {
    detector.start();
    sim.loop.shiftWallClock(-86400);
    sim.loop.advance(10);
    sim.loop.shiftWallClock(29);
    sim.loop.advance(10);
    EXPECT_EQ(wakes, 0);
}

TEST_F(WallClockWakeDetectorTest, stopped_reportsNothing) {
    detector.start();
    detector.stop();
    sim.loop.shiftWallClock(3600);
    sim.loop.advance(30);
    EXPECT_EQ(wakes, 0);
    EXPECT_EQ(sim.loop.activeTimerCount(), 0u);
}

}  // namespace
