#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/MainLoop.h"
#include "platform/Subscription.h"

namespace model {

class AppModel;

// The clock of companion time, of the gentle reminders and of the focus countdown. Once a
// minute it credits a minute while the pets are shown and lets the model decide whether a
// reminder is due; while a focus session runs it updates the countdown every second. All
// bookkeeping is the model's. Main thread only.
class CompanionTracker final : public std::enable_shared_from_this<CompanionTracker> {
public:
    // The timers reach the tracker weakly, so it only exists inside a shared_ptr. `model`
    // outlives the tracker.
    static std::shared_ptr<CompanionTracker> create(AppModel& model);
    CompanionTracker(const CompanionTracker&) = delete;
    CompanionTracker& operator=(const CompanionTracker&) = delete;

    // Starts the minute timer and follows the focus state; a second call does nothing.
    void start();

    bool isStarted() const { return static_cast<bool>(companionTimer_); }
    bool hasFocusTimer() const { return static_cast<bool>(focusTimer_); }

private:
    explicit CompanionTracker(AppModel& model) : model_(model) {}
    void minuteTick();
    void startFocusTimer();
    void stopFocusTimer();
    void focusActiveChanged(bool active);

    AppModel& model_;
    std::unique_ptr<platform::Timer> companionTimer_;
    std::unique_ptr<platform::Timer> focusTimer_;
    std::vector<platform::Subscription> cancellables_;
    std::optional<bool> lastFocusActive_;  // to drop repeated values
};

}  // namespace model
