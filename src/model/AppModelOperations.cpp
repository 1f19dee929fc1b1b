#include <algorithm>
#include <array>

#include "model/AppModel.h"
#include "model/StoredSettings.h"
#include "model/UserText.h"
#include "platform/Services.h"

namespace model {
namespace {

constexpr size_t kPetCount = 2;
constexpr size_t kNameLength = 12;  // user-perceived characters

constexpr std::array kTuningLevels{PetActivityLevel::quiet, PetActivityLevel::natural, PetActivityLevel::lively};

std::optional<size_t> tuningIndex(PetActivityLevel level) {
    const auto it = std::find(kTuningLevels.begin(), kTuningLevels.end(), level);
    if (it == kTuningLevels.end()) return std::nullopt;
    return static_cast<size_t>(it - kTuningLevels.begin());
}

bool inRange(int index, size_t count) {
    return index >= 0 && static_cast<size_t>(index) < count;
}

}  // namespace

std::string AppModel::name(int index) const {
    if (inRange(index, petNames->size())) return petNames.get()[static_cast<size_t>(index)];
    return defaultPetName(index);
}

void AppModel::setName(const std::string& name, int index) {
    if (!inRange(index, std::min(petNames->size(), kPetCount))) return;
    const std::string cleaned = text::prefixCharacters(text::trimmingWhitespaceAndNewlines(name), kNameLength);
    const auto i = static_cast<size_t>(index);

    petNameCustomizations[i] = !cleaned.empty();
    storePetNameCustomizations();
    petNames.modify(
        [&](std::vector<std::string>& names) { names[i] = cleaned.empty() ? defaultPetName(index) : cleaned; });
}

void AppModel::resetPetNames() {
    petNameCustomizations = {false, false};
    storePetNameCustomizations();
    petNames = std::vector<std::string>{defaultPetName(0), defaultPetName(1)};
}

PetAccessory AppModel::accessory(int index) const {
    return inRange(index, petAccessories->size()) ? petAccessories.get()[static_cast<size_t>(index)]
                                                  : PetAccessory::none;
}

void AppModel::setAccessory(PetAccessory accessory, int index) {
    if (!inRange(index, petAccessories->size())) return;
    petAccessories.modify([&](std::vector<PetAccessory>& v) { v[static_cast<size_t>(index)] = accessory; });
}

PetHomePreference AppModel::homePreference(int index) const {
    return inRange(index, homePreferences->size()) ? homePreferences.get()[static_cast<size_t>(index)]
                                                   : PetHomePreference::automatic;
}

void AppModel::setHomePreference(PetHomePreference preference, int index) {
    if (!inRange(index, homePreferences->size())) return;
    homePreferences.modify([&](std::vector<PetHomePreference>& v) { v[static_cast<size_t>(index)] = preference; });
}

PetActivityTuning AppModel::tuning(PetActivityLevel level) const {
    const size_t index = tuningIndex(level).value_or(1);
    return index < activityTunings->size() ? activityTunings.get()[index] : PetActivityTuning{};
}

void AppModel::setTuning(const PetActivityTuning& tuning, PetActivityLevel level) {
    const auto index = tuningIndex(level);
    if (!index) return;
    activityTunings.modify([&](std::vector<PetActivityTuning>& v) {
        if (v.size() < kTuningLevels.size()) v.resize(kTuningLevels.size());
        v[*index] = tuning.clamped();
    });
}

PetAnimationCadence AppModel::cadenceProfile() const {
    return PetAnimationCadence::base(activityLevel.get()).adjusted(tuning(activityLevel.get()));
}

void AppModel::setAppLanguage(AppLanguageChoice choice) {
    if (appLanguage.get() == choice) return;
    defaults_.set(keys::appLanguageChoice, std::string(rawValue(choice)));
    L10n::setAppLanguageChoice(choice);

    // Names the user chose stay; the default ones follow the language.
    std::vector<std::string> names = petNames.get();
    names.resize(kPetCount);
    for (size_t i = 0; i < kPetCount; ++i)
        if (!petNameCustomizations[i]) names[i] = defaultPetName(static_cast<int>(i));
    petNames = std::move(names);

    // Worded in the old language. The update check's result is a state, not a text: a running
    // download, its progress and a verified package stay; their views re-label themselves.
    launchAtLoginMessage = std::string();

    appLanguage = choice;
    platform::notificationCenter().post(L10n::tuftleLanguageDidChange);
}

void AppModel::resetAllLocalData() {
    stopFocus();
    for (const auto& setting : storedSettings())
        if (setting.reset) setting.reset(*this);

    // No reminder sooner than its interval, and none within the spacing.
    const platform::Date now = loop_.now();
    setStamp(lastRestActionAt, keys::lastRestActionAt, now);
    setStamp(lastWaterActionAt, keys::lastWaterActionAt, now);
    setStamp(lastStretchActionAt, keys::lastStretchActionAt, now);
    setStamp(lastLookFarActionAt, keys::lastLookFarActionAt, now);
    setStamp(lastGentleReminderAt, keys::lastGentleReminderAt, now);

    keyboardReactions = keyboardReactionDefaults();
    // Nothing an unread journal holds outlives this: the next fold moves past its records.
    unreadJournal_.reset();
    ledger = KeystrokeLedger{};
    companionRecord = CompanionRecord::startingAt(now);
    persistCompanionRecord();

    typingIntensity = 0.0;
    keyboardReaction = std::nullopt;
    lastKeyboardReactionAt.reset();
    lastKeyboardReactionStyle.reset();
    keyboardReactionSequence = 0;

    updateCheckResult = std::nullopt;
    persistLedger();
    setAppLanguage(AppLanguageChoice::system);
}

void AppModel::storePetNameCustomizations() {
    defaults_.set(keys::petNameCustomizations,
                  platform::PlistValue::Array{petNameCustomizations[0], petNameCustomizations[1]});
}

}  // namespace model
