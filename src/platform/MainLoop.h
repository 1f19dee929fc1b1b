#pragma once

#include <functional>
#include <memory>

#include "platform/Date.h"

namespace platform {

// A scheduled timer. Destroying the handle invalidates the timer.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
    virtual double interval() const = 0;
    virtual double tolerance() const = 0;
};

// The main thread's run loop: timers, queued work, and the two clocks. Everything the
// behaviour code schedules runs here, so the test backend controls time completely.
class MainLoop {
public:
    virtual ~MainLoop() = default;

    // Wall-clock time, for what is stored (defaults, records, export).
    virtual Date now() const = 0;
    // Monotonic seconds, for animations and for times kept only in memory.
    virtual double mediaTime() const = 0;

    // Runs `work` on a later turn of the loop, after the current one finishes.
    virtual void post(std::function<void()> work) = 0;
    // Runs `work` once after `delay` seconds; it cannot be cancelled, so `work` checks that its
    // owner (a weak pointer or a generation token) is still current.
    virtual void after(double delay, std::function<void()> work) = 0;
    // A timer that fires after `interval` seconds, and then every `interval` seconds when it
    // repeats. It may fire up to `tolerance` seconds late, which lets the loop batch wake-ups.
    virtual std::unique_ptr<Timer> schedule(double interval, double tolerance, bool repeats,
                                            std::function<void()> fire) = 0;
};

}  // namespace platform
