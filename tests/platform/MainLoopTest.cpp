#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/SimMainLoop.h"

using platform::sim::SimMainLoop;

TEST(SimMainLoop, dueWorkRunsInTimeOrderWithTiesInSchedulingOrder) {
    SimMainLoop loop;
    std::vector<std::string> order;
    loop.after(2.0, [&] { order.push_back("b@2"); });
    loop.after(1.0, [&] { order.push_back("a@1"); });
    loop.after(2.0, [&] { order.push_back("c@2"); });
    loop.post([&] { order.push_back("posted"); });
    EXPECT_TRUE(order.empty()) << "nothing runs before the loop turns";
    loop.advance(1.5);
    EXPECT_EQ(order, (std::vector<std::string>{"posted", "a@1"}));
    loop.advance(0.5);
    EXPECT_EQ(order, (std::vector<std::string>{"posted", "a@1", "b@2", "c@2"}));
}

TEST(SimMainLoop, clocksAdvanceToEachTimerAsItFires) {
    SimMainLoop loop(platform::Date{1000}, 50);
    double firedAtMedia = 0;
    platform::Date firedAtWall;
    loop.after(3.0, [&] {
        firedAtMedia = loop.mediaTime();
        firedAtWall = loop.now();
    });
    loop.advance(10);
    EXPECT_DOUBLE_EQ(firedAtMedia, 53);
    EXPECT_DOUBLE_EQ(firedAtWall.secondsSinceReferenceDate, 1003);
    EXPECT_DOUBLE_EQ(loop.mediaTime(), 60);
}

TEST(SimMainLoop, repeatingTimerFiresEveryIntervalUntilInvalidated) {
    SimMainLoop loop;
    int fired = 0;
    auto timer = loop.schedule(1.0, 0.1, true, [&] { ++fired; });
    EXPECT_DOUBLE_EQ(timer->tolerance(), 0.1);
    loop.advance(3.5);
    EXPECT_EQ(fired, 3);
    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    loop.advance(5);
    EXPECT_EQ(fired, 3);
}

TEST(SimMainLoop, destroyingTheHandleCancelsTheTimer) {
    SimMainLoop loop;
    int fired = 0;
    {
        auto timer = loop.schedule(1.0, 0, false, [&] { ++fired; });
    }
    loop.advance(2);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST(SimMainLoop, oneShotTimerIsInvalidAfterFiringAndMayDestroyItselfWhileFiring) {
    SimMainLoop loop;
    std::unique_ptr<platform::Timer> timer;
    bool validInside = true;
    timer = loop.schedule(1.0, 0, false, [&] {
        validInside = timer->isValid();
        timer.reset();
    });
    loop.advance(1);
    EXPECT_FALSE(validInside);
    EXPECT_EQ(timer, nullptr);
}

TEST(SimMainLoop, workScheduledByWorkRunsWhenDueInTheSameAdvance) {
    SimMainLoop loop;
    std::vector<double> at;
    loop.after(1.0, [&] {
        at.push_back(loop.mediaTime());
        loop.after(1.0, [&] { at.push_back(loop.mediaTime()); });
        loop.post([&] { at.push_back(loop.mediaTime()); });
    });
    loop.advance(5);
    ASSERT_EQ(at.size(), 3u);
    EXPECT_DOUBLE_EQ(at[1], at[0]);
    EXPECT_DOUBLE_EQ(at[2], at[0] + 1);
}

TEST(SimMainLoop, settingTheWallClockBackLeavesTheMonotonicClockAlone) {
    SimMainLoop loop;
    const double media = loop.mediaTime();
    const auto wall = loop.now();
    loop.shiftWallClock(-3600);
    EXPECT_DOUBLE_EQ(loop.now().timeIntervalSince(wall), -3600);
    EXPECT_DOUBLE_EQ(loop.mediaTime(), media);
}
