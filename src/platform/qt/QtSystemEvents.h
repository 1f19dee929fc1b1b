#pragma once

#include <QObject>
#include <memory>

#include "platform/MainLoop.h"
#include "platform/NotificationCenter.h"
#include "platform/desktop/WallClockWakeDetector.h"

namespace platform::qt {

// Posts the system's wake and our own activation to the notification center: a wake when
// logind says the machine came back from sleep (over the system bus), or, where there is no
// logind, when the wall clock has run ahead of the monotonic clock; an activation whenever
// one of our windows becomes the active window.
class QtSystemEvents final : public QObject {
    Q_OBJECT
public:
    QtSystemEvents(MainLoop& loop, NotificationCenter& center);
    ~QtSystemEvents() override;

    // Whether wakes come from logind rather than from the clock comparison.
    bool usesLogind() const { return usesLogind_; }

private Q_SLOTS:
    void prepareForSleep(bool sleeping);

private:
    NotificationCenter& center_;
    bool usesLogind_ = false;
    std::unique_ptr<WallClockWakeDetector> fallback_;
};

}  // namespace platform::qt
