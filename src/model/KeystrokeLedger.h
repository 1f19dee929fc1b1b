#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/JsonCoding.h"
#include "platform/Date.h"

namespace model {

// One day of the key-count history.
struct DailyKeyCount {
    platform::Date date;  // the start of the day
    int64_t count = 0;
    friend bool operator==(const DailyKeyCount&, const DailyKeyCount&) = default;
};

// Key presses per day and in total. Counts only: no characters, key codes or times of
// single presses. Days are named by their local "yyyy-MM-dd" key, taken from the local
// calendar at each call, so a time-zone change moves the next press to the right day.
struct KeystrokeLedger {
    std::map<std::string, int64_t> dailyCounts;  // "yyyy-MM-dd" -> presses
    int64_t allTimeCount = 0;                    // every press counted, minus the days cleared

    // One press on the day of `on`.
    void record(platform::Date on);
    // The same for a day key the caller already has (a key press builds it once).
    void recordDay(const std::string& dayKey);
    int64_t count(platform::Date on) const;
    int64_t countDay(const std::string& dayKey) const;
    // Removes a day and lowers the total by its count, never below 0. Returns the count.
    int64_t removeDay(const std::string& dayKey);

    // The presses of the seven days of the week that holds `containing`; the week starts on
    // `firstWeekday` (1 = Sunday ... 7 = Saturday).
    int64_t weekCount(platform::Date containing, int firstWeekday) const;
    // The same with the week start of the user's locale.
    int64_t weekCount(platform::Date containing) const;
    // `n` consecutive days ending with the day of `ending`, oldest first, 0 where nothing was
    // counted; empty when n < 1.
    std::vector<DailyKeyCount> recentDays(int n, platform::Date ending) const;

    // {"dailyCounts": {...}, "allTimeCount": n}; both keys required when decoding.
    Json toJson() const;
    static std::optional<KeystrokeLedger> fromJson(const Json& j);

    friend bool operator==(const KeystrokeLedger&, const KeystrokeLedger&) = default;
};

// The first day of the week in the time locale (LC_TIME) of the process: 1 = Sunday ... 7.
int localeFirstWeekday();

}  // namespace model
