#include "model/DataExport.h"

#include <cmath>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "platform/program/ResourceBundle.h"
#include "model/AppModel.h"

namespace model {
namespace {

constexpr const char* kDateKeyInRecord = "firstMetAt";

template <typename E>
Json rawArray(const std::vector<E>& values) {
    Json array = Json::array();
    for (E v : values) array.push_back(std::string(rawValue(v)));
    return array;
}

std::string isoText(platform::Date date) {
    if (!std::isfinite(date.secondsSinceReferenceDate) || date < platform::Date::distantPast() ||
        date > platform::Date::distantFuture())
        throw DataExportError("a date cannot be written: " + std::to_string(date.secondsSinceReferenceDate));
    return platform::iso8601(date);
}

void requireFiniteNumbers(const Json& j) {
    if (j.is_number_float() && !std::isfinite(j.get<double>()))
        throw DataExportError("a number that is not finite cannot be written as JSON");
    if (j.is_structured())
        for (const auto& item : j) requireFiniteNumbers(item);
}

// --- decoding

const Json* member(const Json& j, const char* key) {
    auto it = j.find(key);
    if (it == j.end() || it->is_null()) return nullptr;
    return &*it;
}

template <typename E>
std::optional<E> rawMember(const Json& value) {
    if (!value.is_string()) return std::nullopt;
    return fromRaw<E>(value.get<std::string>());
}

template <typename E>
std::optional<std::vector<E>> rawArrayMember(const Json& value) {
    if (!value.is_array()) return std::nullopt;
    std::vector<E> out;
    for (const auto& item : value) {
        auto e = rawMember<E>(item);
        if (!e) return std::nullopt;
        out.push_back(*e);
    }
    return out;
}

// An optional field: absent (or null) is fine, present with the wrong type fails the document.
template <typename T, typename Read>
bool readOptional(const Json& j, const char* key, std::optional<T>& out, Read read) {
    const Json* value = member(j, key);
    if (!value) return true;
    out = read(*value);
    return out.has_value();
}

std::optional<bool> boolean(const Json& v) {
    if (!v.is_boolean()) return std::nullopt;
    return v.get<bool>();
}

}  // namespace

TuftleExport TuftleExport::from(const AppModel& model, platform::Date exportedAt, std::string appVersion) {
    TuftleExport doc;
    doc.formatVersion = currentFormatVersion;
    doc.exportedAt = exportedAt;
    doc.appVersion = std::move(appVersion);
    doc.appLanguage = model.appLanguage.get();
    doc.petNames = model.petNames.get();
    doc.petCount = model.petCount.get();
    doc.activityLevel = model.activityLevel.get();
    doc.activityTunings = model.activityTunings.get();
    doc.keyCountingEnabled = model.keyCountingEnabled.get();
    doc.homePreferences = model.homePreferences.get();
    doc.dragStayDuration = model.dragStayDuration.get();
    doc.windowWalkingEnabled = model.windowWalkingEnabled.get();
    doc.petAccessories = model.petAccessories.get();
    doc.restReminderMinutes = rawValue(model.restReminderInterval.get());
    doc.waterReminderMinutes = rawValue(model.waterReminderInterval.get());
    doc.stretchRemindersEnabled = model.stretchRemindersEnabled.get();
    doc.stretchReminderMinutes = rawValue(model.stretchReminderInterval.get());
    doc.lookFarRemindersEnabled = model.lookFarRemindersEnabled.get();
    doc.lookFarReminderMinutes = rawValue(model.lookFarReminderInterval.get());
    doc.keystrokes = model.ledger.get();
    doc.companionship = model.companionRecord.get();
    return doc;
}

Json TuftleExport::toJson() const {
    Json j = Json::object();
    j["formatVersion"] = formatVersion;
    j["exportedAt"] = isoText(exportedAt);
    j["appVersion"] = appVersion;
    if (appLanguage) j["appLanguage"] = std::string(rawValue(*appLanguage));
    j["petNames"] = petNames;
    j["petCount"] = petCount;
    j["activityLevel"] = std::string(rawValue(activityLevel));
    if (activityTunings) {
        Json tunings = Json::array();
        for (const auto& t : *activityTunings) tunings.push_back(t.toJson());
        j["activityTunings"] = std::move(tunings);
    }
    j["keyCountingEnabled"] = keyCountingEnabled;
    if (homePreferences) j["homePreferences"] = rawArray(*homePreferences);
    if (dragStayDuration) j["dragStayDuration"] = std::string(rawValue(*dragStayDuration));
    if (windowWalkingEnabled) j["windowWalkingEnabled"] = *windowWalkingEnabled;
    if (petAccessories) j["petAccessories"] = rawArray(*petAccessories);
    if (restReminderMinutes) j["restReminderMinutes"] = *restReminderMinutes;
    if (waterReminderMinutes) j["waterReminderMinutes"] = *waterReminderMinutes;
    if (stretchRemindersEnabled) j["stretchRemindersEnabled"] = *stretchRemindersEnabled;
    if (stretchReminderMinutes) j["stretchReminderMinutes"] = *stretchReminderMinutes;
    if (lookFarRemindersEnabled) j["lookFarRemindersEnabled"] = *lookFarRemindersEnabled;
    if (lookFarReminderMinutes) j["lookFarReminderMinutes"] = *lookFarReminderMinutes;
    j["keystrokes"] = keystrokes.toJson();
    Json record = companionship.toJson();
    // The stored record counts seconds since 2001; a readable copy shows a date.
    record[kDateKeyInRecord] = isoText(companionship.firstMetAt);
    j["companionship"] = std::move(record);
    return j;
}

std::optional<TuftleExport> TuftleExport::fromJson(const Json& j) {
    if (!j.is_object()) return std::nullopt;
    TuftleExport doc;

    const Json* version = member(j, "formatVersion");
    const Json* exported = member(j, "exportedAt");
    const Json* app = member(j, "appVersion");
    const Json* names = member(j, "petNames");
    const Json* count = member(j, "petCount");
    const Json* level = member(j, "activityLevel");
    const Json* counting = member(j, "keyCountingEnabled");
    const Json* keys = member(j, "keystrokes");
    const Json* companion = member(j, "companionship");
    if (!version || !exported || !app || !names || !count || !level || !counting || !keys || !companion)
        return std::nullopt;

    auto formatVersion = coding::integer(*version);
    auto exportedAt = exported->is_string() ? platform::parseIso8601(exported->get<std::string>()) : std::nullopt;
    auto petCount = coding::integer(*count);
    auto activityLevel = rawMember<PetActivityLevel>(*level);
    if (!formatVersion || !exportedAt || !app->is_string() || !names->is_array() || !petCount || !activityLevel ||
        !counting->is_boolean())
        return std::nullopt;
    doc.formatVersion = *formatVersion;
    doc.exportedAt = *exportedAt;
    doc.appVersion = app->get<std::string>();
    for (const auto& name : *names) {
        if (!name.is_string()) return std::nullopt;
        doc.petNames.push_back(name.get<std::string>());
    }
    doc.petCount = *petCount;
    doc.activityLevel = *activityLevel;
    doc.keyCountingEnabled = counting->get<bool>();

    auto ledger = KeystrokeLedger::fromJson(*keys);
    if (!ledger || !companion->is_object()) return std::nullopt;
    doc.keystrokes = *ledger;
    Json record = *companion;
    const Json* met = member(record, kDateKeyInRecord);
    auto firstMet = met && met->is_string() ? platform::parseIso8601(met->get<std::string>()) : std::nullopt;
    if (!firstMet) return std::nullopt;
    record[kDateKeyInRecord] = firstMet->secondsSinceReferenceDate;
    auto companionship = CompanionRecord::fromJson(record);
    if (!companionship) return std::nullopt;
    doc.companionship = *companionship;

    const auto minutes = [](const Json& v) { return coding::integer(v); };
    const bool ok = readOptional(j, "appLanguage", doc.appLanguage, rawMember<AppLanguageChoice>) &&
                    readOptional(j, "activityTunings", doc.activityTunings,
                                 [](const Json& v) -> std::optional<std::vector<PetActivityTuning>> {
                                     if (!v.is_array()) return std::nullopt;
                                     std::vector<PetActivityTuning> out;
                                     for (const auto& item : v) {
                                         auto t = PetActivityTuning::fromJson(item);
                                         if (!t) return std::nullopt;
                                         out.push_back(*t);
                                     }
                                     return out;
                                 }) &&
                    readOptional(j, "homePreferences", doc.homePreferences, rawArrayMember<PetHomePreference>) &&
                    readOptional(j, "dragStayDuration", doc.dragStayDuration, rawMember<DragStayDuration>) &&
                    readOptional(j, "windowWalkingEnabled", doc.windowWalkingEnabled, boolean) &&
                    readOptional(j, "petAccessories", doc.petAccessories, rawArrayMember<PetAccessory>) &&
                    readOptional(j, "restReminderMinutes", doc.restReminderMinutes, minutes) &&
                    readOptional(j, "waterReminderMinutes", doc.waterReminderMinutes, minutes) &&
                    readOptional(j, "stretchRemindersEnabled", doc.stretchRemindersEnabled, boolean) &&
                    readOptional(j, "stretchReminderMinutes", doc.stretchReminderMinutes, minutes) &&
                    readOptional(j, "lookFarRemindersEnabled", doc.lookFarRemindersEnabled, boolean) &&
                    readOptional(j, "lookFarReminderMinutes", doc.lookFarReminderMinutes, minutes);
    if (!ok) return std::nullopt;
    return doc;
}

std::string TuftleExport::encoded() const {
    const Json document = toJson();
    requireFiniteNumbers(document);
    // A map-backed value lists every object's keys in sorted order, nested ones included.
    const nlohmann::json sorted = document;
    try {
        return sorted.dump(2) + "\n";
    } catch (const nlohmann::json::exception& error) {
        throw DataExportError(std::string("the data cannot be written as JSON: ") + error.what());
    }
}

std::string exportAppVersion(const std::optional<std::filesystem::path>& bundleRoot) {
    if (!bundleRoot) return TuftleExport::fallbackAppVersion;
    return platform::ResourceBundle(*bundleRoot)
        .infoString("CFBundleShortVersionString")
        .value_or(TuftleExport::fallbackAppVersion);
}

std::string proposedExportFileName(platform::Date now) {
    const auto c = platform::calendar::localComponents(now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d", c.year, c.month, c.day, c.hour, c.minute);
    return L10n::format(L10n::t("栗丸数据-%@.json"), {std::string(stamp)});
}

std::string AppModel::exportData() const {
    // The bundle does not move while the program runs.
    static const std::optional<std::filesystem::path> bundleRoot = [] {
        auto bundle = platform::ResourceBundle::find();
        return bundle ? std::optional(bundle->root()) : std::nullopt;
    }();
    return TuftleExport::from(*this, loop_.now(), exportAppVersion(bundleRoot)).encoded();
}

}  // namespace model
