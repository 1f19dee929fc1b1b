#include "platform/desktop/WallClockWakeDetector.h"

namespace platform {

WallClockWakeDetector::WallClockWakeDetector(MainLoop& loop, NotificationCenter& center, double interval,
                                             double threshold)
    : loop_(loop), center_(center), interval_(interval), threshold_(threshold) {}

WallClockWakeDetector::~WallClockWakeDetector() {
    stop();
}

void WallClockWakeDetector::start() {
    if (timer_) return;
    lastWall_ = loop_.now();
    lastMonotonic_ = loop_.mediaTime();
    // The timer is owned here and goes with the detector, so `this` never dangles.
    timer_ = loop_.schedule(interval_, interval_ * 0.2, true, [this] { check(); });
}

void WallClockWakeDetector::stop() {
    if (!timer_) return;
    timer_->invalidate();
    timer_.reset();
}

void WallClockWakeDetector::check() {
    const Date wall = loop_.now();
    const double monotonic = loop_.mediaTime();
    const double lead = wall.timeIntervalSince(lastWall_) - (monotonic - lastMonotonic_);
    lastWall_ = wall;
    lastMonotonic_ = monotonic;
    if (lead >= threshold_) center_.post(notifications::systemDidWake);
}

}  // namespace platform
