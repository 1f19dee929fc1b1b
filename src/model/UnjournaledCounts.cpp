#include "model/UnjournaledCounts.h"

#include <algorithm>
#include <limits>

#include <nlohmann/json.hpp>

namespace model {
namespace {

// Stored counts can be anything a file held: adding them must not overflow.
int64_t sum(int64_t a, int64_t b) {
    int64_t out;
    return __builtin_add_overflow(a, b, &out)
               ? (b < 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max())
               : out;
}

int64_t beyond(int64_t now, int64_t base) {
    int64_t out;
    return __builtin_sub_overflow(now, base, &out) || out < 0 ? 0 : out;
}

}  // namespace

UnjournaledCounts UnjournaledCounts::between(const KeystrokeLedger& base, const CompanionRecord& baseRecord,
                                             const KeystrokeLedger& ledger, const CompanionRecord& record,
                                             std::set<std::string> cleared) {
    UnjournaledCounts out;
    // A cleared day took its stored count off the total: what was counted since is the rest.
    int64_t clearedCounts = 0;
    for (const auto& day : cleared) clearedCounts = sum(clearedCounts, base.countDay(day));
    out.keys.allTimeCount = beyond(sum(ledger.allTimeCount, clearedCounts), base.allTimeCount);
    for (const auto& [day, count] : ledger.dailyCounts) {
        const int64_t added = cleared.count(day) ? count : beyond(count, base.countDay(day));
        if (added > 0) out.keys.dailyCounts[day] = added;
    }
    out.clearedDays = std::move(cleared);

    for (const auto& [day, seconds] : record.dailyCompanionSeconds) {
        const auto was = baseRecord.dailyCompanionSeconds.find(day);
        const double added = seconds - (was == baseRecord.dailyCompanionSeconds.end() ? 0 : was->second);
        if (added > 0) out.companion.dailyCompanionSeconds[day] = added;
    }
    out.companion.totalCompanionSeconds =
        std::max(record.totalCompanionSeconds - baseRecord.totalCompanionSeconds, 0.0);
    out.companion.completedFocusSessions = beyond(record.completedFocusSessions, baseRecord.completedFocusSessions);
    return out;
}

void UnjournaledCounts::addTo(KeystrokeLedger& ledger, CompanionRecord& record) const {
    for (const auto& day : clearedDays) ledger.removeDay(day);
    for (const auto& [day, count] : keys.dailyCounts) ledger.dailyCounts[day] = sum(ledger.countDay(day), count);
    ledger.allTimeCount = sum(ledger.allTimeCount, keys.allTimeCount);

    for (const auto& [day, seconds] : companion.dailyCompanionSeconds) record.dailyCompanionSeconds[day] += seconds;
    record.totalCompanionSeconds += companion.totalCompanionSeconds;
    record.completedFocusSessions = sum(record.completedFocusSessions, companion.completedFocusSessions);
}

Json UnjournaledCounts::toJson() const {
    Json j = Json::object();
    j["keys"] = keys.toJson();
    j["clearedDays"] = Json(clearedDays);
    j["companion"] = companion.toJson();
    return j;
}

std::optional<UnjournaledCounts> UnjournaledCounts::fromJson(const Json& j) {
    if (!j.is_object()) return std::nullopt;
    const auto keys = j.find("keys");
    const auto cleared = j.find("clearedDays");
    const auto companion = j.find("companion");
    if (keys == j.end() || cleared == j.end() || !cleared->is_array() || companion == j.end()) return std::nullopt;
    UnjournaledCounts out;
    auto ledger = KeystrokeLedger::fromJson(*keys);
    auto record = CompanionRecord::fromJson(*companion);
    if (!ledger || !record) return std::nullopt;
    out.keys = std::move(*ledger);
    out.companion = std::move(*record);
    for (const auto& day : *cleared) {
        if (!day.is_string()) return std::nullopt;
        out.clearedDays.insert(day.get<std::string>());
    }
    return out;
}

}  // namespace model
