#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/qt/QtMainLoop.h"
#include "platform/qt/TimerHub.h"

using platform::qt::TimerHub;

namespace {

// Runs the event loop until `done` or two seconds pass.
template <typename F>
void spinUntil(F done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

}  // namespace

TEST(TimerHub, aWakeUpNeverComesBeforeItsDelay) {
    auto& hub = TimerHub::shared();
    const double start = hub.now();
    double firedAt = -1;
    hub.add(0.05, 0.05, [&] { firedAt = hub.now(); });
    spinUntil([&] { return firedAt >= 0; });
    ASSERT_GE(firedAt, 0) << "never fired";
    EXPECT_GE(firedAt - start, 0.05 - 0.001);
}

TEST(TimerHub, overlappingWindowsShareOneWakeUp) {
    auto& hub = TimerHub::shared();
    std::vector<std::string> order;
    hub.add(0.02, 0.10, [&] {
        order.push_back("first");
        // Runs only after the wake-up under way has finished.
        QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { order.push_back("next turn"); },
                                  Qt::QueuedConnection);
    });
    hub.add(0.06, 0.10, [&] { order.push_back("second"); });
    spinUntil([&] { return order.size() == 3; });
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "next turn"}));
}

TEST(TimerHub, aRemovedWakeUpNeverFiresEvenFromTheSameWakeUp) {
    auto& hub = TimerHub::shared();
    int later = 0, removedInside = 0;
    const auto dropped = hub.add(0.01, 0, [&] { ++later; });
    hub.remove(dropped);
    uint64_t victim = 0;
    hub.add(0.02, 0.05, [&] { hub.remove(victim); });
    victim = hub.add(0.02, 0.05, [&] { ++removedInside; });
    bool done = false;
    hub.add(0.15, 0, [&] { done = true; });
    spinUntil([&] { return done; });
    EXPECT_EQ(later, 0);
    EXPECT_EQ(removedInside, 0);
}

TEST(TimerHub, aDelayedStepSharesTheWakeUpOfAFrameDueAroundIt) {
    // A pet's hop back (a delayed step) and a panel's frame due a few milliseconds apart: one
    // wake-up of the program, not one each.
    platform::qt::QtMainLoop loop;
    auto& hub = TimerHub::shared();
    for (double apart : {0.004, 0.012}) {
        SCOPED_TRACE(apart);
        std::vector<std::string> order;
        bool done = false;
        loop.after(0.03, [&] {
            order.push_back("step");
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [&] { order.push_back("next turn"); }, Qt::QueuedConnection);
        });
        hub.add(0.03 + apart, 1.0 / 30, [&] { order.push_back("frame"); });
        hub.add(0.2, 0, [&] { done = true; });
        spinUntil([&] { return done; });
        EXPECT_EQ(order, (std::vector<std::string>{"step", "frame", "next turn"}));
    }
}

TEST(TimerHub, workForTheNextWakeUpRidesAnyWakeUpThatComesAndOtherwiseWaitsItsTimeAlone) {
    // Keys read while a pet moves come along with the move's wake-up, planned before or after
    // them; with nothing else planned they wake the program once, when their time is up.
    auto& hub = TimerHub::shared();
    for (const char* other : {"before", "after", "none"}) {
        SCOPED_TRACE(other);
        std::vector<std::string> order;
        const double start = hub.now();
        double rodeAt = -1;
        size_t seenAtRide = 0;
        auto planOther = [&] {
            hub.add(0.02, 0, [&] {
                order.push_back("other");
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [&] { order.push_back("next turn"); }, Qt::QueuedConnection);
            });
        };
        if (other == std::string("before")) planOther();
        hub.addAtNextWake(0.3, [&] {
            rodeAt = hub.now();
            seenAtRide = order.size();
        });
        if (other == std::string("after")) planOther();
        spinUntil([&] { return rodeAt >= 0 && order.size() == (other == std::string("none") ? 0u : 2u); });
        ASSERT_GE(rodeAt, 0);
        if (other == std::string("none"))
            EXPECT_GE(rodeAt - start, 0.3 - 0.001) << "woke the program before its time";
        else
            EXPECT_LT(seenAtRide, 2u) << "waited for a wake-up of its own";
    }
}

TEST(TimerHub, aTimerWithoutSlackComesOnTimeAndAFrameThatMayWaitComesAlong) {
    // An animation's end is timed exactly; a frame planned a little before it that may come a
    // little late is painted in the same wake-up rather than one of its own.
    platform::qt::QtMainLoop loop;
    auto& hub = TimerHub::shared();
    for (bool repeats : {false, true}) {
        SCOPED_TRACE(repeats);
        std::vector<std::string> order;
        const double start = hub.now();
        double exactAt = -1;
        auto exact = loop.schedule(0.05, 0, repeats, [&] {
            if (exactAt >= 0) return;
            exactAt = hub.now();
            order.push_back("exact");
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [&] { order.push_back("next turn"); }, Qt::QueuedConnection);
        });
        hub.add(0.03, 0.05, [&] { order.push_back("frame"); });
        spinUntil([&] { return order.size() == 3; });
        EXPECT_EQ(order, (std::vector<std::string>{"exact", "frame", "next turn"}));
        EXPECT_GE(exactAt - start, 0.05 - 0.001);
    }
}
