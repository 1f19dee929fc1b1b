#include "model/KeystrokeLedger.h"

#include <langinfo.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include <nlohmann/json.hpp>

namespace model {
namespace {

using Limits = std::numeric_limits<int64_t>;

// A stored total can be anything a file held; counting on from it must not overflow.
int64_t plusOne(int64_t n) {
    return n == Limits::max() ? n : n + 1;
}

int64_t minusFlooredAtZero(int64_t total, int64_t removed) {
    if (removed <= 0) return std::max<int64_t>(total, 0);
    return total <= removed ? 0 : total - removed;
}

}  // namespace

void KeystrokeLedger::record(platform::Date on) {
    recordDay(platform::calendar::dayKey(on));
}

void KeystrokeLedger::recordDay(const std::string& dayKey) {
    auto [it, inserted] = dailyCounts.try_emplace(dayKey, 0);
    it->second = plusOne(it->second);
    allTimeCount = plusOne(allTimeCount);
}

int64_t KeystrokeLedger::count(platform::Date on) const {
    return countDay(platform::calendar::dayKey(on));
}

int64_t KeystrokeLedger::countDay(const std::string& dayKey) const {
    auto it = dailyCounts.find(dayKey);
    return it == dailyCounts.end() ? 0 : it->second;
}

int64_t KeystrokeLedger::removeDay(const std::string& dayKey) {
    auto it = dailyCounts.find(dayKey);
    if (it == dailyCounts.end()) return 0;
    const int64_t removed = it->second;
    dailyCounts.erase(it);
    allTimeCount = minusFlooredAtZero(allTimeCount, removed);
    return removed;
}

// The week is the half-open run of seven local days from its first weekday: the first day
// of the next week belongs to the next week only. Days are compared by their keys, which
// name local days whatever the zone they were counted in.
int64_t KeystrokeLedger::weekCount(platform::Date containing, int firstWeekday) const {
    if (firstWeekday < 1 || firstWeekday > 7) firstWeekday = 1;
    const int weekday = platform::calendar::localComponents(containing).weekday;
    const int intoWeek = (weekday - firstWeekday + 7) % 7;
    int64_t sum = 0;
    for (int day = -intoWeek; day < 7 - intoWeek; ++day) {
        const int64_t n = countDay(platform::calendar::dayKey(platform::calendar::startOfDayAdding(containing, day)));
        sum = n > 0 && sum > Limits::max() - n ? Limits::max() : sum + n;
    }
    return sum;
}

int64_t KeystrokeLedger::weekCount(platform::Date containing) const {
    return weekCount(containing, localeFirstWeekday());
}

std::vector<DailyKeyCount> KeystrokeLedger::recentDays(int n, platform::Date ending) const {
    std::vector<DailyKeyCount> days;
    if (n < 1) return days;
    days.reserve(static_cast<size_t>(n));
    for (int k = -(n - 1); k <= 0; ++k) {
        // Calendar arithmetic rather than 86 400 s steps: days of 23 or 25 hours stay one day.
        const platform::Date start = platform::calendar::startOfDayAdding(ending, k);
        days.push_back({start, countDay(platform::calendar::dayKey(start))});
    }
    return days;
}

Json KeystrokeLedger::toJson() const {
    Json days = Json::object();
    // The keys are unique already: appending skips the ordered object's linear search for
    // each key, which made storing years of days quadratic.
    auto& entries = days.get_ref<Json::object_t&>();
    entries.reserve(dailyCounts.size());
    for (const auto& [day, count] : dailyCounts) entries.emplace_back(day, count);
    Json j = Json::object();
    j["dailyCounts"] = std::move(days);
    j["allTimeCount"] = allTimeCount;
    return j;
}

std::optional<KeystrokeLedger> KeystrokeLedger::fromJson(const Json& j) {
    if (!j.is_object()) return std::nullopt;
    auto days = j.find("dailyCounts");
    auto total = coding::integerMember(j, "allTimeCount");
    if (days == j.end() || !days->is_object() || !total) return std::nullopt;
    KeystrokeLedger ledger;
    ledger.allTimeCount = *total;
    for (const auto& [day, value] : days->items()) {
        auto count = coding::integer(value);
        if (!count) return std::nullopt;
        ledger.dailyCounts[day] = *count;
    }
    return ledger;
}

// glibc keeps the week start as a reference Sunday or Monday (_NL_TIME_WEEK_1STDAY) plus an
// offset from it (_NL_TIME_FIRST_WEEKDAY, 1 = that day).
int localeFirstWeekday() {
    const char* offset = nl_langinfo(_NL_TIME_FIRST_WEEKDAY);
    // That item is a number handed back in the pointer.
    const auto reference = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(nl_langinfo(_NL_TIME_WEEK_1STDAY)));
    const int referenceWeekday = reference == 19971201u ? 2 : 1;  // 1997-12-01 was a Monday
    const int step = offset && *offset >= 1 && *offset <= 7 ? *offset : 1;
    return (referenceWeekday - 1 + step - 1) % 7 + 1;
}

}  // namespace model
