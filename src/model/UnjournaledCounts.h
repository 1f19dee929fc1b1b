#pragma once

#include <optional>
#include <set>
#include <string>

#include "model/CompanionModels.h"
#include "model/JsonCoding.h"
#include "model/KeystrokeLedger.h"

namespace model {

// What runs that could not read the key-count journal counted. The journal's records hold
// whole counts built on the settings file as it was when they were written; these are kept
// apart from it, as additions, and added once the records have been read.
struct UnjournaledCounts {
    KeystrokeLedger keys;               // presses per day (since the day was cleared) and in all
    std::set<std::string> clearedDays;  // days cleared: what the journal counted on them goes too
    CompanionRecord companion;          // only its time and its completed focus sessions

    // What `ledger` and `record` counted beyond `base` and `baseRecord`, with the days of
    // `cleared` cleared on the way.
    static UnjournaledCounts between(const KeystrokeLedger& base, const CompanionRecord& baseRecord,
                                     const KeystrokeLedger& ledger, const CompanionRecord& record,
                                     std::set<std::string> cleared);
    void addTo(KeystrokeLedger& ledger, CompanionRecord& record) const;

    Json toJson() const;
    static std::optional<UnjournaledCounts> fromJson(const Json& j);

    friend bool operator==(const UnjournaledCounts&, const UnjournaledCounts&) = default;
};

}  // namespace model
