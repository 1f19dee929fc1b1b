#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/MainLoop.h"

namespace platform::sim {

// A main loop on a virtual clock. Nothing runs until the test calls runPending() or
// advance(); then due work runs in time order (ties in scheduling order). A timer with a
// tolerance fires at its due time: tolerance only permits lateness.
class SimMainLoop final : public MainLoop {
public:
    explicit SimMainLoop(Date start = Date{800000000.0}, double mediaStart = 1000.0);
    ~SimMainLoop() override;

    Date now() const override { return wallStart_.addingTimeInterval(elapsed_ + wallOffset_); }
    double mediaTime() const override { return mediaStart_ + elapsed_; }
    void post(std::function<void()> work) override;
    void after(double delay, std::function<void()> work) override;
    std::unique_ptr<Timer> schedule(double interval, double tolerance, bool repeats,
                                    std::function<void()> fire) override;

    // Runs everything due now, including work that this work posts for now.
    void runPending();
    // Moves both clocks forward, running due work at its time.
    void advance(double seconds);
    // Sets the wall clock back or forward without moving the monotonic clock.
    void shiftWallClock(double seconds) { wallOffset_ += seconds; }

    size_t pendingCount() const;
    // Number of live timers (one-shot or repeating) that have not fired for good or been invalidated.
    size_t activeTimerCount() const;

private:
    struct Entry;
    class SimTimer;
    void enqueue(const std::shared_ptr<Entry>& e);
    bool runNextDue(double limit);

    Date wallStart_;
    double mediaStart_;
    double elapsed_ = 0;
    double wallOffset_ = 0;
    uint64_t sequence_ = 0;
    std::multimap<std::pair<double, uint64_t>, std::shared_ptr<Entry>> queue_;
};

}  // namespace platform::sim
