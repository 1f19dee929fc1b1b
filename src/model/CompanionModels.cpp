#include "model/CompanionModels.h"

#include <algorithm>
#include <cmath>

#include <nlohmann/json.hpp>

#include "model/L10n.h"

namespace model {
namespace {

using Unit = L10n::ProgressUnit;

// The rule of each achievement; all thresholds included. `days` (the days with time) is
// asked for only by the rules that need it, since counting walks the whole history.
template <typename Days>
bool ruleHolds(CompanionUnlock badge, double t, int64_t k, int64_t f, Days&& days) {
    switch (badge) {
        case CompanionUnlock::firstSteps:
            return t >= 600;
        case CompanionUnlock::keyboardFriend:
            return k >= 100;
        case CompanionUnlock::steadyCompanion:
            return t >= 3600;
        case CompanionUnlock::focusBuddy:
            return f >= 1;
        case CompanionUnlock::focusApprentice:
            return f >= 3;
        case CompanionUnlock::oldFriend:
            return t >= 18000 || days() >= 5;
        case CompanionUnlock::keyRhythm:
            return k >= 1000;
        case CompanionUnlock::weekTogether:
            return days() >= 7;
        case CompanionUnlock::typingMeteor:
            return k >= 5000;
        case CompanionUnlock::longDay:
            return t >= 86400;
        case CompanionUnlock::focusGuardian:
            return f >= 10;
        case CompanionUnlock::twoWeeks:
            return days() >= 14;
        case CompanionUnlock::keyGalaxy:
            return k >= 20000;
        case CompanionUnlock::longCompanion:
            return days() >= 30;
        case CompanionUnlock::focusMaster:
            return f >= 25;
        case CompanionUnlock::hundredHours:
            return t >= 360000;
    }
    return false;
}

// Calls `found` for each achievement not yet unlocked whose rule holds, in wall order,
// until it returns false.
template <typename Found>
void forEachNewUnlock(const CompanionRecord& record, int64_t allTimeKeys, Found&& found) {
    std::optional<int> days;
    auto countDays = [&] {
        if (!days) days = record.daysWithTime();
        return *days;
    };
    for (CompanionUnlock badge : allCases<CompanionUnlock>) {
        if (record.unlockedIDs.count(std::string(rawValue(badge)))) continue;
        if (ruleHolds(badge, record.totalCompanionSeconds, allTimeKeys, record.completedFocusSessions, countDays) &&
            !found(badge))
            return;
    }
}

// min(trunc(x), cap) for the progress texts, and 0 for anything below 0 or not a number,
// so a damaged record never shows a negative count or converts an infinity.
int64_t upTo(double x, int64_t cap) {
    if (!(x > 0)) return 0;
    if (x >= static_cast<double>(cap)) return cap;
    return static_cast<int64_t>(x);
}

struct Progress {
    double raw;
    int64_t value;
    int64_t target;
    Unit unit;
};

Progress progressOf(CompanionUnlock badge, const CompanionRecord& r, int64_t k) {
    const double t = r.totalCompanionSeconds;
    const double f = static_cast<double>(r.completedFocusSessions);
    const double days = r.companionDays();
    auto minutes = [&](int64_t target) {
        return Progress{(t / 60) / static_cast<double>(target), upTo(t / 60, target), target, Unit::minutes};
    };
    auto hours = [&](int64_t target) {
        return Progress{(t / 3600) / static_cast<double>(target), upTo(t / 3600, target), target, Unit::hours};
    };
    auto keys = [&](int64_t target) {
        return Progress{static_cast<double>(k) / static_cast<double>(target), upTo(static_cast<double>(k), target),
                        target, Unit::keyPresses};
    };
    auto sessions = [&](int64_t target) {
        return Progress{f / static_cast<double>(target), upTo(f, target), target, Unit::sessions};
    };
    auto daysTogether = [&](int64_t target) {
        return Progress{days / static_cast<double>(target), upTo(days, target), target, Unit::days};
    };
    switch (badge) {
        case CompanionUnlock::firstSteps:
            return minutes(10);
        case CompanionUnlock::keyboardFriend:
            return keys(100);
        case CompanionUnlock::steadyCompanion:
            return minutes(60);
        case CompanionUnlock::focusBuddy:
            return sessions(1);
        case CompanionUnlock::focusApprentice:
            return sessions(3);
        case CompanionUnlock::oldFriend: {
            // Five days or five hours: the text follows whichever is further along.
            const Progress byDays = daysTogether(5);
            const Progress byHours{t / 18000, upTo(t / 3600, 5), 5, Unit::hours};
            return byHours.raw > byDays.raw ? byHours : byDays;
        }
        case CompanionUnlock::keyRhythm:
            return keys(1000);
        case CompanionUnlock::weekTogether:
            return daysTogether(7);
        case CompanionUnlock::typingMeteor:
            return keys(5000);
        case CompanionUnlock::longDay:
            return hours(24);
        case CompanionUnlock::focusGuardian:
            return sessions(10);
        case CompanionUnlock::twoWeeks:
            return daysTogether(14);
        case CompanionUnlock::keyGalaxy:
            return keys(20000);
        case CompanionUnlock::longCompanion:
            return daysTogether(30);
        case CompanionUnlock::focusMaster:
            return sessions(25);
        case CompanionUnlock::hundredHours:
            return hours(100);
    }
    return {};
}

}  // namespace

std::string_view rawValue(CompanionUnlock v) {
    switch (v) {
        case CompanionUnlock::firstSteps:
            return "firstSteps";
        case CompanionUnlock::keyboardFriend:
            return "keyboardFriend";
        case CompanionUnlock::steadyCompanion:
            return "steadyCompanion";
        case CompanionUnlock::focusBuddy:
            return "focusBuddy";
        case CompanionUnlock::focusApprentice:
            return "focusApprentice";
        case CompanionUnlock::oldFriend:
            return "oldFriend";
        case CompanionUnlock::keyRhythm:
            return "keyRhythm";
        case CompanionUnlock::weekTogether:
            return "weekTogether";
        case CompanionUnlock::typingMeteor:
            return "typingMeteor";
        case CompanionUnlock::longDay:
            return "longDay";
        case CompanionUnlock::focusGuardian:
            return "focusGuardian";
        case CompanionUnlock::twoWeeks:
            return "twoWeeks";
        case CompanionUnlock::keyGalaxy:
            return "keyGalaxy";
        case CompanionUnlock::longCompanion:
            return "longCompanion";
        case CompanionUnlock::focusMaster:
            return "focusMaster";
        case CompanionUnlock::hundredHours:
            return "hundredHours";
    }
    return "";
}

std::string title(CompanionUnlock v) {
    switch (v) {
        case CompanionUnlock::firstSteps:
            return L10n::t("初次熟悉");
        case CompanionUnlock::keyboardFriend:
            return L10n::t("打字搭档");
        case CompanionUnlock::steadyCompanion:
            return L10n::t("安静陪伴");
        case CompanionUnlock::focusBuddy:
            return L10n::t("专注搭档");
        case CompanionUnlock::focusApprentice:
            return L10n::t("专注起步");
        case CompanionUnlock::oldFriend:
            return L10n::t("老朋友");
        case CompanionUnlock::keyRhythm:
            return L10n::t("敲键节奏");
        case CompanionUnlock::weekTogether:
            return L10n::t("七日同伴");
        case CompanionUnlock::typingMeteor:
            return L10n::t("指尖流星");
        case CompanionUnlock::longDay:
            return L10n::t("一日相伴");
        case CompanionUnlock::focusGuardian:
            return L10n::t("专注守护者");
        case CompanionUnlock::twoWeeks:
            return L10n::t("两周相伴");
        case CompanionUnlock::keyGalaxy:
            return L10n::t("指尖银河");
        case CompanionUnlock::longCompanion:
            return L10n::t("一路有你");
        case CompanionUnlock::focusMaster:
            return L10n::t("专注达人");
        case CompanionUnlock::hundredHours:
            return L10n::t("百时相守");
    }
    return "";
}

std::string story(CompanionUnlock v) {
    switch (v) {
        case CompanionUnlock::firstSteps:
            return L10n::t("一起待满 10 分钟");
        case CompanionUnlock::keyboardFriend:
            return L10n::t("累计按键达到 100 次");
        case CompanionUnlock::steadyCompanion:
            return L10n::t("一起待满 1 小时");
        case CompanionUnlock::focusBuddy:
            return L10n::t("完成第一次专注");
        case CompanionUnlock::focusApprentice:
            return L10n::t("完成 3 次专注");
        case CompanionUnlock::oldFriend:
            return L10n::t("相伴 5 天或 5 小时");
        case CompanionUnlock::keyRhythm:
            return L10n::t("累计按键达到 1,000 次");
        case CompanionUnlock::weekTogether:
            return L10n::t("相伴 7 天");
        case CompanionUnlock::typingMeteor:
            return L10n::t("累计按键达到 5,000 次");
        case CompanionUnlock::longDay:
            return L10n::t("一起待满 24 小时");
        case CompanionUnlock::focusGuardian:
            return L10n::t("完成 10 次专注");
        case CompanionUnlock::twoWeeks:
            return L10n::t("相伴 14 天");
        case CompanionUnlock::keyGalaxy:
            return L10n::t("累计按键达到 20,000 次");
        case CompanionUnlock::longCompanion:
            return L10n::t("相伴 30 天");
        case CompanionUnlock::focusMaster:
            return L10n::t("完成 25 次专注");
        case CompanionUnlock::hundredHours:
            return L10n::t("一起待满 100 小时");
    }
    return "";
}

CompanionRecord CompanionRecord::startingAt(platform::Date now) {
    CompanionRecord record;
    record.firstMetAt = now;
    return record;
}

int CompanionRecord::daysWithTime() const {
    int days = 0;
    for (const auto& [day, seconds] : dailyCompanionSeconds)
        if (seconds > 0) ++days;
    return days;
}

int CompanionRecord::companionDays() const {
    return std::max(daysWithTime(), 1);
}

void CompanionRecord::addCompanion(double seconds, platform::Date at) {
    // An infinite amount would also make the record impossible to store from then on.
    if (!(seconds > 0) || !std::isfinite(seconds)) return;
    totalCompanionSeconds += seconds;
    dailyCompanionSeconds.try_emplace(platform::calendar::dayKey(at), 0).first->second += seconds;
    refreshUnlocks(0);
}

void CompanionRecord::refreshUnlocks(int64_t allTimeKeys) {
    forEachNewUnlock(*this, allTimeKeys, [this](CompanionUnlock badge) {
        unlockedIDs.insert(std::string(rawValue(badge)));
        return true;
    });
}

bool CompanionRecord::hasNewUnlocks(int64_t allTimeKeys) const {
    bool any = false;
    forEachNewUnlock(*this, allTimeKeys, [&any](CompanionUnlock) {
        any = true;
        return false;
    });
    return any;
}

std::vector<CompanionAchievementState> CompanionRecord::achievementStates(int64_t allTimeKeys) const {
    std::vector<CompanionAchievementState> states;
    states.reserve(allCases<CompanionUnlock>.size());
    for (CompanionUnlock badge : allCases<CompanionUnlock>) {
        const Progress p = progressOf(badge, *this, allTimeKeys);
        const double progress = p.raw >= 0 ? std::min(p.raw, 1.0) : 0.0;  // NaN fails the test too
        states.push_back({badge, progress, L10n::progress(p.value, p.target, p.unit),
                          unlockedIDs.count(std::string(rawValue(badge))) > 0 || progress >= 1});
    }
    return states;
}

Json CompanionRecord::toJson() const {
    Json days = Json::object();
    auto& entries = days.get_ref<Json::object_t&>();  // unique keys: append, as the ledger does
    entries.reserve(dailyCompanionSeconds.size());
    for (const auto& [day, seconds] : dailyCompanionSeconds) entries.emplace_back(day, seconds);
    Json ids = Json::array();
    for (const auto& id : unlockedIDs) ids.push_back(id);
    Json j = Json::object();
    j["firstMetAt"] = firstMetAt.secondsSinceReferenceDate;
    j["totalCompanionSeconds"] = totalCompanionSeconds;
    j["dailyCompanionSeconds"] = std::move(days);
    j["completedFocusSessions"] = completedFocusSessions;
    j["unlockedIDs"] = std::move(ids);
    return j;
}

std::optional<CompanionRecord> CompanionRecord::fromJson(const Json& j) {
    if (!j.is_object()) return std::nullopt;
    auto firstMet = coding::doubleMember(j, "firstMetAt");
    auto total = coding::doubleMember(j, "totalCompanionSeconds");
    auto sessions = coding::integerMember(j, "completedFocusSessions");
    auto days = j.find("dailyCompanionSeconds");
    auto ids = j.find("unlockedIDs");
    if (!firstMet || !total || !sessions || days == j.end() || !days->is_object() || ids == j.end() || !ids->is_array())
        return std::nullopt;

    CompanionRecord record;
    record.firstMetAt = platform::Date{*firstMet};
    record.totalCompanionSeconds = *total;
    record.completedFocusSessions = *sessions;
    for (const auto& [day, value] : days->items()) {
        auto seconds = coding::number(value);
        if (!seconds) return std::nullopt;
        record.dailyCompanionSeconds[day] = *seconds;
    }
    for (const auto& id : *ids) {
        if (!id.is_string()) return std::nullopt;
        record.unlockedIDs.insert(id.get<std::string>());
    }
    return record;
}

}  // namespace model
