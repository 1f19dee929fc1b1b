#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A point in time: seconds since 2001-01-01 00:00:00 UTC.
struct Date {
    double secondsSinceReferenceDate = 0;

    static constexpr double unixEpochOffset = 978307200.0;  // 1970 -> 2001

    static constexpr Date fromUnix(double unixSeconds) { return Date{unixSeconds - unixEpochOffset}; }
    static constexpr Date distantPast() { return Date{-63114076800.0}; }   // year 1
    static constexpr Date distantFuture() { return Date{63113904000.0}; }  // year 4001

    constexpr double unixSeconds() const { return secondsSinceReferenceDate + unixEpochOffset; }
    constexpr double timeIntervalSince(Date other) const {
        return secondsSinceReferenceDate - other.secondsSinceReferenceDate;
    }
    constexpr Date addingTimeInterval(double seconds) const { return Date{secondsSinceReferenceDate + seconds}; }

    friend constexpr auto operator<=>(const Date&, const Date&) = default;
};

// ISO 8601 in UTC with a "Z" suffix, whole seconds ("2026-12-06T21:33:01Z").
std::string iso8601(Date date);
// The date of such a text; nullopt for anything else.
std::optional<Date> parseIso8601(std::string_view text);

// Local-calendar helpers. A change of TZ takes effect on the next call, a change of the
// system's zone file within a second.
namespace calendar {

struct Components {
    int year = 0;
    int month = 0;  // 1...12
    int day = 0;    // 1...31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0;  // 1 = Sunday ... 7 = Saturday
};

Components localComponents(Date date);
// The local "yyyy-MM-dd" of the day that holds `date`.
std::string dayKey(Date date);
// The first instant of the local day that holds `date`.
Date startOfDay(Date date);
// The local day `days` days after the one that holds `date`, at its first instant.
Date startOfDayAdding(Date date, int days);
// The local date at the first instant of year-month-day (fields may overflow, as mktime allows).
Date dateFromLocal(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// The first instant of the local day named by a "yyyy-MM-dd" key; nullopt for anything else.
std::optional<Date> parseDayKey(const std::string& key);

}  // namespace calendar
}  // namespace platform
