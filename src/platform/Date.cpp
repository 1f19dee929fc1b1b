#include "platform/Date.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace platform {
namespace {

// A calendar time as the C library takes it, not yet normalised.
std::tm calendarTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return tm;
}

}  // namespace

std::string iso8601(Date date) {
    std::time_t t = static_cast<std::time_t>(std::floor(date.unixSeconds()));
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

std::optional<Date> parseIso8601(std::string_view text) {
    // Exactly "dddd-dd-ddTdd:dd:ddZ": scanf alone would also take signs and spaces.
    constexpr std::string_view shape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != shape.size()) return std::nullopt;
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (shape[i] == 'd' ? !digit : text[i] != shape[i]) return std::nullopt;
    }
    const std::string s(text);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, consumed = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ%n", &year, &month, &day, &hour, &minute, &second, &consumed) !=
            6 ||
        consumed != 20 || static_cast<size_t>(consumed) != s.size())
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    std::tm tm = calendarTime(year, month, day, hour, minute, second);
    const std::time_t t = ::timegm(&tm);
    // timegm normalises 31 February into March: such a text is no date.
    if (tm.tm_mday != day || tm.tm_mon != month - 1) return std::nullopt;
    return Date::fromUnix(static_cast<double>(t));
}

namespace calendar {
namespace {

// localtime_r does not re-read the zone; tzset does, but it also looks at /etc/localtime
// each time, and days are asked for on every key press. A changed TZ is honoured on the next
// call, a changed zone file within a second.
void followTimeZone() {
    constexpr auto fileLookInterval = std::chrono::seconds(1);
    static std::mutex mutex;
    static std::optional<std::string> lastTz;
    static std::chrono::steady_clock::time_point lastLook;
    static bool looked = false;
    const std::lock_guard lock(mutex);
    const char* tz = std::getenv("TZ");
    const auto now = std::chrono::steady_clock::now();
    const bool tzChanged = tz ? (!lastTz || *lastTz != tz) : lastTz.has_value();
    if (looked && !tzChanged && now - lastLook < fileLookInterval) return;
    tzset();
    looked = true;
    lastLook = now;
    lastTz = tz ? std::optional<std::string>(tz) : std::nullopt;
}

std::tm localTm(Date date) {
    followTimeZone();
    std::time_t t = static_cast<std::time_t>(std::floor(date.unixSeconds()));
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

}  // namespace

Components localComponents(Date date) {
    std::tm tm = localTm(date);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday + 1};
}

std::string dayKey(Date date) {
    std::tm tm = localTm(date);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    return buf;
}

Date dateFromLocal(int year, int month, int day, int hour, int minute, int second) {
    followTimeZone();
    std::tm tm = calendarTime(year, month, day, hour, minute, second);
    tm.tm_isdst = -1;
    std::time_t t = mktime(&tm);
    return Date::fromUnix(static_cast<double>(t));
}

Date startOfDay(Date date) {
    std::tm tm = localTm(date);
    return dateFromLocal(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

Date startOfDayAdding(Date date, int days) {
    std::tm tm = localTm(date);
    return dateFromLocal(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday + days);
}

std::optional<Date> parseDayKey(const std::string& key) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (key.size() != 10 || std::sscanf(key.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) return std::nullopt;
    if (key[4] != '-' || key[7] != '-' || m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
    Date start = dateFromLocal(y, m, d);
    if (dayKey(start) != key) return std::nullopt;  // 2026-02-30 and the like
    return start;
}

}  // namespace calendar
}  // namespace platform
