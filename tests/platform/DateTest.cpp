#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Date.h"

namespace cal = platform::calendar;

namespace {

// Sets TZ for one test and restores the previous zone afterwards.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) previous_ = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (previous_) setenv("TZ", previous_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    void change(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }

private:
    std::optional<std::string> previous_;
};

}  // namespace

TEST(Calendar, dayKeyFollowsATimeZoneChangeBetweenCalls) {
    ScopedTimeZone zone("UTC");
    const auto instant = platform::Date::fromUnix(1765062000);  // 2025-12-06 23:00:00 UTC
    EXPECT_EQ(cal::dayKey(instant), "2025-12-06");
    zone.change("Asia/Shanghai");
    EXPECT_EQ(cal::dayKey(instant), "2025-12-07");
    zone.change("America/Los_Angeles");
    EXPECT_EQ(cal::dayKey(instant), "2025-12-06");
}

// Only the environment changes, as a session's TZ does: the calendar must notice by itself,
// however soon after its last look, and set back to the system zone too.
TEST(Calendar, dayKeyFollowsTZSetWithoutTzsetAtTheNextCall) {
    ScopedTimeZone zone("UTC");
    const auto instant = platform::Date::fromUnix(1765062000);  // 2025-12-06 23:00:00 UTC
    for (const auto& [tz, day] : std::vector<std::pair<const char*, const char*>>{
             {"JST-9", "2025-12-07"}, {"PST8", "2025-12-06"}, {nullptr, nullptr}, {"CST-8", "2025-12-07"}}) {
        if (!tz) {
            unsetenv("TZ");
            cal::dayKey(instant);
            continue;
        }
        setenv("TZ", tz, 1);
        EXPECT_EQ(cal::dayKey(instant), day) << tz;
        EXPECT_EQ(cal::dayKey(cal::dateFromLocal(2025, 12, 6, 23, 30)), "2025-12-06") << tz;
    }
}

TEST(Calendar, daysAcrossADaylightSavingChangeStartAtLocalMidnight) {
    ScopedTimeZone zone("Europe/Berlin");
    // 2026-03-29 has 23 hours in Berlin.
    const auto day = cal::dateFromLocal(2026, 3, 29, 12);
    const auto start = cal::startOfDay(day);
    const auto next = cal::startOfDayAdding(day, 1);
    EXPECT_DOUBLE_EQ(next.timeIntervalSince(start), 23 * 3600);
    EXPECT_EQ(cal::dayKey(start), "2026-03-29");
    EXPECT_EQ(cal::dayKey(next), "2026-03-30");
}

TEST(Calendar, parseDayKeyAcceptsOnlyRealDays) {
    ScopedTimeZone zone("UTC");
    EXPECT_TRUE(cal::parseDayKey("2024-02-29").has_value());
    EXPECT_FALSE(cal::parseDayKey("2026-02-30").has_value());
    EXPECT_FALSE(cal::parseDayKey("2026-2-3").has_value());
    EXPECT_FALSE(cal::parseDayKey("2026-02-03x").has_value());
    EXPECT_FALSE(cal::parseDayKey("").has_value());
}

TEST(Date, referenceDateAndIsoText) {
    EXPECT_EQ(platform::iso8601(platform::Date{0}), "2001-01-01T00:00:00Z");
    EXPECT_EQ(platform::iso8601(platform::Date::fromUnix(0)), "1970-01-01T00:00:00Z");
    EXPECT_LT(platform::Date::distantPast(), platform::Date{0});
    EXPECT_GT(platform::Date::distantFuture(), platform::Date{1e9});
}
