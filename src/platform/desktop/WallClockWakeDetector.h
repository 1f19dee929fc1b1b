#pragma once

#include <memory>

#include "platform/Date.h"
#include "platform/MainLoop.h"
#include "platform/NotificationCenter.h"

namespace platform {

// Notices a system wake without help from the system: the monotonic clock stands still while
// the machine sleeps and the wall clock does not, so after a sleep the wall clock has run
// ahead of the monotonic one. Posts notifications::systemDidWake when it sees that. Setting
// the clock forward by hand looks the same and is reported too; setting it back is not.
class WallClockWakeDetector final {
public:
    // Checks every `interval` seconds; a lead of at least `threshold` seconds is a wake.
    WallClockWakeDetector(MainLoop& loop, NotificationCenter& center, double interval = 10.0, double threshold = 30.0);
    ~WallClockWakeDetector();
    WallClockWakeDetector(const WallClockWakeDetector&) = delete;
    WallClockWakeDetector& operator=(const WallClockWakeDetector&) = delete;

    void start();
    void stop();
    bool isRunning() const { return static_cast<bool>(timer_); }

private:
    void check();

    MainLoop& loop_;
    NotificationCenter& center_;
    double interval_;
    double threshold_;
    Date lastWall_;
    double lastMonotonic_ = 0;
    std::unique_ptr<Timer> timer_;
};

}  // namespace platform
