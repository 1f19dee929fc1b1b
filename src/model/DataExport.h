#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/CompanionModels.h"
#include "model/JsonCoding.h"
#include "model/KeystrokeLedger.h"
#include "model/L10n.h"
#include "model/PetEnums.h"
#include "model/PetModels.h"
#include "platform/Date.h"

namespace model {

class AppModel;

// Building or encoding an export failed; what() says why.
class DataExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The readable copy of everything kept about the user: the settings worth keeping, the key
// counts and the companion record. Nothing reads an export back into the program; decoding
// exists for other tools and to check documents.
struct TuftleExport {
    static constexpr int64_t currentFormatVersion = 5;
    static constexpr const char* fallbackAppVersion = "0.0.0-dev";

    // The JSON keys are the field names; the optional ones may be missing from a document.
    int64_t formatVersion = currentFormatVersion;
    platform::Date exportedAt;
    std::string appVersion;
    std::optional<AppLanguageChoice> appLanguage;
    std::vector<std::string> petNames;
    int64_t petCount = 0;
    PetActivityLevel activityLevel = PetActivityLevel::natural;
    std::optional<std::vector<PetActivityTuning>> activityTunings;
    bool keyCountingEnabled = false;
    std::optional<std::vector<PetHomePreference>> homePreferences;
    std::optional<DragStayDuration> dragStayDuration;
    std::optional<bool> windowWalkingEnabled;
    std::optional<std::vector<PetAccessory>> petAccessories;
    std::optional<int64_t> restReminderMinutes;
    std::optional<int64_t> waterReminderMinutes;
    std::optional<bool> stretchRemindersEnabled;
    std::optional<int64_t> stretchReminderMinutes;
    std::optional<bool> lookFarRemindersEnabled;
    std::optional<int64_t> lookFarReminderMinutes;
    KeystrokeLedger keystrokes;
    CompanionRecord companionship;

    // Every field filled from the live model. Whether the rest and water reminders are on is
    // not part of the document; their intervals are.
    static TuftleExport from(const AppModel& model, platform::Date exportedAt, std::string appVersion);

    // Dates as ISO 8601 text in UTC, whole seconds. Optional fields only when present.
    Json toJson() const;
    // Needs formatVersion, exportedAt, appVersion, petNames, petCount, activityLevel,
    // keyCountingEnabled, keystrokes and companionship; nullopt when one is missing or any
    // value has the wrong type.
    static std::optional<TuftleExport> fromJson(const Json& j);

    // Pretty-printed UTF-8 with every object's keys sorted, nested ones too. Throws
    // DataExportError for what JSON cannot hold (a number that is not finite, text that is not
    // UTF-8).
    std::string encoded() const;

    friend bool operator==(const TuftleExport&, const TuftleExport&) = default;
};

// "CFBundleShortVersionString" of the Info.plist in the bundle at `bundleRoot` when it is a
// string; "0.0.0-dev" otherwise, also without a bundle.
std::string exportAppVersion(const std::optional<std::filesystem::path>& bundleRoot);

// The name a save panel proposes: "栗丸数据-%@.json" in the interface language, filled with
// the local time as "yyyyMMdd-HHmm" (ASCII digits in every language).
std::string proposedExportFileName(platform::Date now);

}  // namespace model
