#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "model/CompanionModels.h"
#include "model/KeystrokeLedger.h"
#include "platform/Date.h"

// A long-time user's records: `days` days before `now`, each typed on and spent together.
inline std::pair<model::KeystrokeLedger, model::CompanionRecord> sampleHistory(platform::Date now, int64_t days) {
    model::KeystrokeLedger ledger;
    model::CompanionRecord record = model::CompanionRecord::startingAt(now);
    for (int64_t d = days; d >= 1; --d) {
        const std::string day = platform::calendar::dayKey(platform::calendar::startOfDayAdding(now, -static_cast<int>(d)));
        ledger.dailyCounts[day] = 12000;
        ledger.allTimeCount += 12000;
        record.dailyCompanionSeconds[day] = 6 * 3600;
        record.totalCompanionSeconds += 6 * 3600;
    }
    return {std::move(ledger), std::move(record)};
}
