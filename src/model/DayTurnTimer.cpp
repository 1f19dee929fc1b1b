#include "model/DayTurnTimer.h"

#include <algorithm>

#include "platform/Date.h"

namespace model {

namespace {
// How late the new day may show: a second lets the wake-up share one already planned.
constexpr double kLateness = 1.0;
}  // namespace

DayTurnTimer::DayTurnTimer(platform::MainLoop& loop, platform::NotificationCenter& center, std::function<void()> turned)
    : loop_(loop),
      turned_(std::move(turned)),
      day_(platform::calendar::dayKey(loop.now())),
      wake_(center.addObserver(platform::notifications::systemDidWake, [this] { check(); })) {
    check();
}

void DayTurnTimer::check() {
    const platform::Date now = loop_.now();
    // The next local midnight from the calendar, not a day's seconds: a day with a
    // daylight-saving change is an hour shorter or longer.
    const double untilTomorrow = platform::calendar::startOfDayAdding(now, 1).timeIntervalSince(now);
    // At least a second away: a wall clock a hair behind the timer's own must not make it spin.
    timer_ = loop_.schedule(std::max(untilTomorrow, kLateness), kLateness, false, [this] { check(); });
    const std::string today = platform::calendar::dayKey(now);
    if (today == day_) return;
    day_ = today;
    turned_();
}

}  // namespace model
