#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/MainLoop.h"
#include "platform/NotificationCenter.h"

namespace model {

// Calls `turned` as each new local day begins, for a window that shows today's figures: one
// wake-up at the day's end, none in between. The timer runs on the monotonic clock, which
// stands still while the machine sleeps, so a wake looks at the day again. A clock set back
// by hand makes it fire before the day has turned: it then waits for the day's end again.
class DayTurnTimer final {
public:
    DayTurnTimer(platform::MainLoop& loop, platform::NotificationCenter& center, std::function<void()> turned);
    DayTurnTimer(const DayTurnTimer&) = delete;
    DayTurnTimer& operator=(const DayTurnTimer&) = delete;

private:
    void check();

    platform::MainLoop& loop_;
    std::function<void()> turned_;
    std::string day_;
    std::unique_ptr<platform::Timer> timer_;
    platform::Subscription wake_;
};

}  // namespace model
