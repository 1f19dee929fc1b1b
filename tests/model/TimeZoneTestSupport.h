#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace model::testing {

// Puts the process in the time zone `tz` (a POSIX TZ text, which needs no zone files) and
// puts the old zone back when it goes. switchTo() changes the zone while the test runs.
class TimeZoneOverride {
public:
    explicit TimeZoneOverride(const char* tz) {
        if (const char* old = std::getenv("TZ")) saved_ = old;
        switchTo(tz);
    }
    ~TimeZoneOverride() {
        if (saved_)
            ::setenv("TZ", saved_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    TimeZoneOverride(const TimeZoneOverride&) = delete;
    TimeZoneOverride& operator=(const TimeZoneOverride&) = delete;

    void switchTo(const char* tz) {
        ::setenv("TZ", tz, 1);
        ::tzset();
    }

private:
    std::optional<std::string> saved_;
};

// US Eastern time: summer time from the second Sunday of March to the first of November.
inline constexpr const char* kEastern = "EST5EDT,M3.2.0,M11.1.0";
inline constexpr const char* kUtc = "UTC0";
inline constexpr const char* kTokyo = "JST-9";

}  // namespace model::testing
