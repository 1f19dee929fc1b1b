#include "model/AppModel.h"

#include <algorithm>
#include <cmath>

#include <nlohmann/json.hpp>

#include "platform/Services.h"

namespace model {
namespace {

using platform::Defaults;
using platform::PlistValue;

// A Boolean as another writer may have stored it: a bool, or the integers 0 and 1.
std::optional<bool> storedBool(const Defaults& d, const char* key) {
    auto v = d.object(key);
    if (!v) return std::nullopt;
    if (auto b = v->getIf<bool>()) return *b;
    if (auto i = v->getIf<int64_t>(); i && (*i == 0 || *i == 1)) return *i == 1;
    return std::nullopt;
}

// An integer, or a real that holds one.
std::optional<int64_t> storedInteger(const Defaults& d, const char* key) {
    auto v = d.object(key);
    if (!v) return std::nullopt;
    if (auto i = v->getIf<int64_t>()) return *i;
    if (auto r = v->getIf<double>(); r && std::isfinite(*r) && *r == std::trunc(*r) && std::abs(*r) < 9.0e18)
        return static_cast<int64_t>(*r);
    return std::nullopt;
}

template <typename E>
std::optional<E> storedRaw(const Defaults& d, const char* key) {
    if (auto s = d.string(key)) return fromRaw<E>(*s);
    return std::nullopt;
}

// The raw values of an array in their order, skipping entries that are no raw value of E;
// nullopt when the key holds no array at all.
template <typename E>
std::optional<std::vector<E>> storedRawArray(const Defaults& d, const char* key) {
    auto array = d.array(key);
    if (!array) return std::nullopt;
    std::vector<E> out;
    for (const auto& item : *array)
        if (auto s = item.getIf<std::string>())
            if (auto e = fromRaw<E>(*s)) out.push_back(*e);
    return out;
}

template <typename E>
std::vector<E> twoEntries(std::vector<E> values, E fallback) {
    values.resize(2, fallback);
    return values;
}

template <typename E>
PlistValue rawArray(const std::vector<E>& values) {
    PlistValue::Array out;
    for (auto v : values) out.emplace_back(std::string(rawValue(v)));
    return out;
}

PlistValue stringArray(const std::vector<std::string>& values) {
    return PlistValue::Array(values.begin(), values.end());
}

ReminderInterval storedInterval(const Defaults& d, const char* key, ReminderInterval fallback) {
    return fromRaw<ReminderInterval>(storedInteger(d, key).value_or(0)).value_or(fallback);
}

std::vector<PetActivityTuning> neutralTunings() {
    return std::vector<PetActivityTuning>(3);
}

std::optional<std::vector<PetActivityTuning>> decodeTunings(const Json& j) {
    if (!j.is_array()) return std::nullopt;
    std::vector<PetActivityTuning> out;
    for (const auto& item : j) {
        auto tuning = PetActivityTuning::fromJson(item);
        if (!tuning) return std::nullopt;
        out.push_back(*tuning);
    }
    return out;
}

Json encodeTunings(const std::vector<PetActivityTuning>& tunings) {
    Json out = Json::array();
    for (const auto& t : tunings) out.push_back(t.toJson());
    return out;
}

template <typename T, typename Decode>
std::optional<T> decodeData(const Defaults& d, const char* key, Decode decode) {
    auto data = d.data(key);
    if (!data) return std::nullopt;
    auto j = coding::decode(*data);
    if (!j) return std::nullopt;
    return decode(*j);
}

}  // namespace

AppModel& AppModel::shared() {
    static AppModel model(platform::defaults(), platform::mainLoop());
    return model;
}

AppModel::AppModel(platform::Defaults& defaults, platform::MainLoop& loop) : defaults_(defaults), loop_(loop) {
    load();
    wireObservation();
}

void AppModel::load() {
    const Defaults& d = defaults_;
    const platform::Date now = loop_.now();

    // Live state keeps the start values given where it is declared.

    const auto language = storedRaw<AppLanguageChoice>(d, keys::appLanguageChoice).value_or(AppLanguageChoice::system);
    appLanguage.setSilently(language);
    L10n::setAppLanguageChoice(language);

    petsVisible.setSilently(storedBool(d, keys::petsVisible).value_or(true));
    activityLevel.setSilently(storedRaw<PetActivityLevel>(d, keys::activityLevel).value_or(PetActivityLevel::natural));

    auto decodedTunings = decodeData<std::vector<PetActivityTuning>>(d, keys::activityTunings, decodeTunings);
    if (!decodedTunings) keepUnreadable(keys::activityTunings);
    std::vector<PetActivityTuning> tunings = neutralTunings();
    for (size_t i = 0; decodedTunings && i < tunings.size() && i < decodedTunings->size(); ++i)
        tunings[i] = (*decodedTunings)[i].clamped();
    activityTunings.setSilently(std::move(tunings));

    homePreferences.setSilently(twoEntries(
        storedRawArray<PetHomePreference>(d, keys::homePreferences).value_or(std::vector<PetHomePreference>{}),
        PetHomePreference::automatic));
    dragStayDuration.setSilently(
        storedRaw<DragStayDuration>(d, keys::dragStayDuration).value_or(DragStayDuration::minute));
    keyCountingEnabled.setSilently(storedBool(d, keys::keyCountingEnabled).value_or(false));
    petCount.setSilently(static_cast<int>(std::clamp<int64_t>(storedInteger(d, keys::petCount).value_or(2), 1, 2)));
    hideInFullScreen.setSilently(storedBool(d, keys::hideInFullScreen).value_or(true));
    windowWalkingEnabled.setSilently(storedBool(d, keys::windowWalkingEnabled).value_or(false));

    loadPetNames();

    petAccessories.setSilently(
        twoEntries(storedRawArray<PetAccessory>(d, keys::petAccessories).value_or(std::vector<PetAccessory>{}),
                   PetAccessory::none));

    restRemindersEnabled.setSilently(storedBool(d, keys::restRemindersEnabled).value_or(true));
    waterRemindersEnabled.setSilently(storedBool(d, keys::waterRemindersEnabled).value_or(false));
    stretchRemindersEnabled.setSilently(storedBool(d, keys::stretchRemindersEnabled).value_or(false));
    lookFarRemindersEnabled.setSilently(storedBool(d, keys::lookFarRemindersEnabled).value_or(false));
    restReminderInterval.setSilently(storedInterval(d, keys::restReminderInterval, ReminderInterval::fifty));
    waterReminderInterval.setSilently(storedInterval(d, keys::waterReminderInterval, ReminderInterval::twoHours));
    stretchReminderInterval.setSilently(storedInterval(d, keys::stretchReminderInterval, ReminderInterval::sixty));
    lookFarReminderInterval.setSilently(storedInterval(d, keys::lookFarReminderInterval, ReminderInterval::thirty));
    reminderGesturesEnabled.setSilently(storedBool(d, keys::reminderGesturesEnabled).value_or(true));
    onboardingCompleted.setSilently(storedBool(d, keys::onboardingCompleted).value_or(false));
    automaticUpdateChecks.setSilently(storedBool(d, keys::automaticUpdateChecks).value_or(true));

    loadKeyboardReactions();

    auto record = decodeData<CompanionRecord>(d, keys::companionRecord, CompanionRecord::fromJson);
    if (!record) {
        // The new record below replaces the stored one at once: keep what was there first.
        keepUnreadable(keys::companionRecord);
        record = CompanionRecord::startingAt(now);
    }
    companionRecord.setSilently(*record);

    focusEndsAt = d.date(keys::focusEndsAt);
    if (focusEndsAt) focusEndsAtMediaTime_ = loop_.mediaTime() + std::max(focusEndsAt->timeIntervalSince(now), 0.0);
    isFocusActive.setSilently(focusEndsAt && *focusEndsAt > now);
    focusRemaining.setSilently(focusEndsAt ? std::max(focusEndsAt->timeIntervalSince(now), 0.0) : 0.0);

    // A stamp in the future means the clock was set back: it happened no later than now.
    auto stamp = [&](const char* key) { return std::min(d.date(key).value_or(now), now); };
    lastRestActionAt = stamp(keys::lastRestActionAt);
    lastWaterActionAt = stamp(keys::lastWaterActionAt);
    lastStretchActionAt = stamp(keys::lastStretchActionAt);
    lastLookFarActionAt = stamp(keys::lastLookFarActionAt);
    lastGentleReminderAt = stamp(keys::lastGentleReminderAt);

    auto storedLedger = decodeData<KeystrokeLedger>(d, keys::keystrokeLedger, KeystrokeLedger::fromJson);
    if (!storedLedger) keepUnreadable(keys::keystrokeLedger);
    ledger.setSilently(storedLedger.value_or(KeystrokeLedger{}));

    CompanionRecord refreshed = companionRecord.get();
    refreshed.refreshUnlocks(ledger->allTimeCount);
    companionRecord.setSilently(std::move(refreshed));
    persistCompanionRecord();
}

// Versions before the customisation flags kept only names: a name equal to the original
// default counts as not chosen by the user.
void AppModel::loadPetNames() {
    std::vector<std::optional<std::string>> names;
    if (auto array = defaults_.array(keys::petNames))
        for (const auto& item : *array)
            names.push_back(item.getIf<std::string>() ? std::optional(*item.getIf<std::string>()) : std::nullopt);

    std::vector<bool> flags;
    if (auto array = defaults_.array(keys::petNameCustomizations)) {
        if (std::all_of(array->begin(), array->end(), [](const PlistValue& v) { return v.is<bool>(); }))
            for (const auto& item : *array) flags.push_back(*item.getIf<bool>());
    }

    static constexpr const char* originalNames[2] = {"栗栗", "丸丸"};
    std::vector<std::string> resolved;
    for (size_t i = 0; i < 2; ++i) {
        const bool hasName = i < names.size() && names[i].has_value();
        const bool flag = i < flags.size() ? flags[i] : hasName && *names[i] != originalNames[i];
        petNameCustomizations[i] = flag;
        resolved.push_back(flag && hasName ? *names[i] : defaultPetName(static_cast<int>(i)));
    }
    petNames.setSilently(std::move(resolved));
    defaults_.set(keys::petNameCustomizations, PlistValue::Array{petNameCustomizations[0], petNameCustomizations[1]});
}

// The count sign joined the reactions in a later version: add it once to a set the user
// already had. A first launch starts from the default reactions, which include it.
void AppModel::loadKeyboardReactions() {
    KeyboardReactionSet styles;
    if (auto stored = storedRawArray<KeyboardReactionStyle>(defaults_, keys::keyboardReactions)) {
        styles.insert(stored->begin(), stored->end());
        if (!storedBool(defaults_, keys::keyboardMilestoneMigrated).value_or(false))
            styles.insert(KeyboardReactionStyle::showCount);
    }
    if (styles.empty()) styles = keyboardReactionDefaults();
    keyboardReactions.setSilently(styles);

    defaults_.set(keys::keyboardMilestoneMigrated, true);
    defaults_.set(keys::keyboardReactions, stringArray(sortedRawValues(styles)));
}

template <typename T>
void AppModel::observe(platform::Published<T>& property, std::function<void(const T&)> persist) {
    property.setWillChange([this] { objectWillChange.emit(); });
    if (persist) property.setPersistence(std::move(persist));
}

void AppModel::wireObservation() {
    auto boolSetting = [this](platform::Published<bool>& property, const char* key) {
        observe<bool>(property, [this, key](const bool& v) { defaults_.set(key, v); });
    };
    auto intervalSetting = [this](platform::Published<ReminderInterval>& property, const char* key) {
        observe<ReminderInterval>(property,
                                  [this, key](const ReminderInterval& v) { defaults_.set(key, rawValue(v)); });
    };

    observe(appLanguage);
    boolSetting(petsVisible, keys::petsVisible);
    observe<PetActivityLevel>(activityLevel, [this](const PetActivityLevel& v) {
        defaults_.set(keys::activityLevel, std::string(rawValue(v)));
    });
    observe<std::vector<PetActivityTuning>>(activityTunings, [this](const std::vector<PetActivityTuning>& v) {
        writeJson(keys::activityTunings, encodeTunings(v));
    });
    observe<std::vector<PetHomePreference>>(homePreferences, [this](const std::vector<PetHomePreference>& v) {
        defaults_.set(keys::homePreferences, rawArray(v));
    });
    observe<DragStayDuration>(dragStayDuration, [this](const DragStayDuration& v) {
        defaults_.set(keys::dragStayDuration, std::string(rawValue(v)));
    });
    boolSetting(keyCountingEnabled, keys::keyCountingEnabled);
    observe<int>(petCount, [this](const int& v) {
        const int clamped = std::clamp(v, 1, 2);
        if (clamped != v) {
            petCount.set(clamped);  // publishes the clamped value last and writes it
            return;
        }
        defaults_.set(keys::petCount, v);
    });
    boolSetting(hideInFullScreen, keys::hideInFullScreen);
    boolSetting(windowWalkingEnabled, keys::windowWalkingEnabled);
    observe<std::vector<std::string>>(
        petNames, [this](const std::vector<std::string>& v) { defaults_.set(keys::petNames, stringArray(v)); });
    observe<std::vector<PetAccessory>>(petAccessories, [this](const std::vector<PetAccessory>& v) {
        defaults_.set(keys::petAccessories, rawArray(v));
    });
    boolSetting(restRemindersEnabled, keys::restRemindersEnabled);
    boolSetting(waterRemindersEnabled, keys::waterRemindersEnabled);
    boolSetting(stretchRemindersEnabled, keys::stretchRemindersEnabled);
    boolSetting(lookFarRemindersEnabled, keys::lookFarRemindersEnabled);
    intervalSetting(restReminderInterval, keys::restReminderInterval);
    intervalSetting(waterReminderInterval, keys::waterReminderInterval);
    intervalSetting(stretchReminderInterval, keys::stretchReminderInterval);
    intervalSetting(lookFarReminderInterval, keys::lookFarReminderInterval);
    boolSetting(reminderGesturesEnabled, keys::reminderGesturesEnabled);
    boolSetting(onboardingCompleted, keys::onboardingCompleted);
    boolSetting(automaticUpdateChecks, keys::automaticUpdateChecks);
    observe<KeyboardReactionSet>(keyboardReactions, [this](const KeyboardReactionSet& v) {
        if (v.empty()) {
            keyboardReactions.set(keyboardReactionDefaults());  // writes the defaults in turn
            return;
        }
        defaults_.set(keys::keyboardReactions, stringArray(sortedRawValues(v)));
    });
    observe(companionRecord);

    observe(isFocusActive);
    observe(focusRemaining);
    observe(wellbeingAction);
    observe(launchAtLoginEnabled);
    observe(launchAtLoginMessage);
    observe(updateCheckResult);
    observe(updateDownloadState);
    observe(recoveredFromUnexpectedExit);
    observe(ledger);
    observe(keyboardPermissionGranted);
    observe(keyboardMonitorState);
    observe(lastKeyAt);
    observe(typingIntensity);
    observe(keyboardReaction);
    observe(keyboardMilestone);
    observe(isHiddenForFullScreen);
}

void AppModel::persistCompanionRecord() {
    writeJson(keys::companionRecord, companionRecord->toJson());
}

void AppModel::persistLedger() {
    ledgerWritePending_ = false;
    writeJson(keys::keystrokeLedger, ledger->toJson());
}

void AppModel::writeJson(const char* key, const Json& value) {
    if (auto data = coding::encode(value)) defaults_.set(key, std::move(*data));
}

void AppModel::keepUnreadable(const char* key) {
    auto value = defaults_.object(key);
    if (!value) return;
    const std::string backup = std::string(key) + keys::unreadableSuffix;
    if (defaults_.object(backup) != value) defaults_.set(backup, std::move(*value));
}

}  // namespace model
