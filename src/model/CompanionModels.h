#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/JsonCoding.h"
#include "model/RawEnum.h"
#include "platform/Date.h"

namespace model {

// The sixteen achievements, in the order of the achievement wall.
enum class CompanionUnlock {
    firstSteps,
    keyboardFriend,
    steadyCompanion,
    focusBuddy,
    focusApprentice,
    oldFriend,
    keyRhythm,
    weekTogether,
    typingMeteor,
    longDay,
    focusGuardian,
    twoWeeks,
    keyGalaxy,
    longCompanion,
    focusMaster,
    hundredHours,
};

std::string_view rawValue(CompanionUnlock v);
inline std::string_view id(CompanionUnlock v) {
    return rawValue(v);
}
// The wall's name of the achievement and its one-line condition, in the interface language.
std::string title(CompanionUnlock v);
std::string story(CompanionUnlock v);

template <>
struct EnumCases<CompanionUnlock> {
    static constexpr std::array values{
        CompanionUnlock::firstSteps,   CompanionUnlock::keyboardFriend,  CompanionUnlock::steadyCompanion,
        CompanionUnlock::focusBuddy,   CompanionUnlock::focusApprentice, CompanionUnlock::oldFriend,
        CompanionUnlock::keyRhythm,    CompanionUnlock::weekTogether,    CompanionUnlock::typingMeteor,
        CompanionUnlock::longDay,      CompanionUnlock::focusGuardian,   CompanionUnlock::twoWeeks,
        CompanionUnlock::keyGalaxy,    CompanionUnlock::longCompanion,   CompanionUnlock::focusMaster,
        CompanionUnlock::hundredHours,
    };
};

// The progress toward one achievement, as the wall shows it.
struct CompanionAchievementState {
    CompanionUnlock badge = CompanionUnlock::firstSteps;
    double progress = 0;  // 0...1
    std::string progressText;
    bool isUnlocked = false;  // by the record, or by progress reaching 1

    std::string_view id() const { return rawValue(badge); }
    friend bool operator==(const CompanionAchievementState&, const CompanionAchievementState&) = default;
};

// The time the user and the pets have spent together, and what it has unlocked.
struct CompanionRecord {
    platform::Date firstMetAt;
    double totalCompanionSeconds = 0;
    std::map<std::string, double> dailyCompanionSeconds;  // "yyyy-MM-dd" -> seconds
    int64_t completedFocusSessions = 0;
    std::set<std::string> unlockedIDs;  // raw values; only ever grows, unknown ones are kept

    // A new record first met at `now`, with no time, sessions or unlocks.
    static CompanionRecord startingAt(platform::Date now);

    // Adds companion time to the total and to the local day of `at`, then refreshes the
    // achievements that need no key count. Seconds that are not above 0 change nothing.
    void addCompanion(double seconds, platform::Date at);

    // Adds every achievement whose rule now holds; never removes one.
    void refreshUnlocks(int64_t allTimeKeys);
    // Whether refreshUnlocks(allTimeKeys) would add anything: lets a key press skip copying
    // and storing a record that stays the same.
    bool hasNewUnlocks(int64_t allTimeKeys) const;
    // Days whose seconds are above 0.
    int daysWithTime() const;
    // The days shown to the user: daysWithTime(), but at least 1 (the day they met).
    int companionDays() const;
    // The sixteen achievements in wall order.
    std::vector<CompanionAchievementState> achievementStates(int64_t allTimeKeys) const;

    // Keys in the order "firstMetAt" (seconds since 2001-01-01), "totalCompanionSeconds",
    // "dailyCompanionSeconds", "completedFocusSessions", "unlockedIDs"; all required.
    Json toJson() const;
    static std::optional<CompanionRecord> fromJson(const Json& j);

    friend bool operator==(const CompanionRecord&, const CompanionRecord&) = default;
};

}  // namespace model
