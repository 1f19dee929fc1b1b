#include "model/StoredSettings.h"

#include <algorithm>
#include <cmath>
#include <concepts>
#include <type_traits>

#include <nlohmann/json.hpp>

#include "model/AppModel.h"

namespace model {
namespace {

using platform::PlistValue;

template <typename E>
concept TextRawEnum = std::is_enum_v<E> && requires(E e) {
    { rawValue(e) } -> std::convertible_to<std::string_view>;
};

template <typename E>
concept IntegerRawEnum = std::is_enum_v<E> && requires(E e) {
    { rawValue(e) } -> std::same_as<int>;
};

// An integer, or a real that holds one.
std::optional<int64_t> asInteger(const PlistValue& v) {
    if (auto i = v.getIf<int64_t>()) return *i;
    if (auto r = v.getIf<double>(); r && std::isfinite(*r) && *r == std::trunc(*r) && std::abs(*r) < 9.0e18)
        return static_cast<int64_t>(*r);
    return std::nullopt;
}

PlistValue stringArray(const std::vector<std::string>& values) {
    return PlistValue::Array(values.begin(), values.end());
}

// How a value of each type is read from its stored form (nullopt: no usable value) and
// written to it (nullopt: it cannot be, and nothing is written).
template <typename T>
struct Codec;

// A Boolean as another writer may have stored it: a bool, or the integers 0 and 1.
template <>
struct Codec<bool> {
    static std::optional<bool> decode(const PlistValue& v) {
        if (auto b = v.getIf<bool>()) return *b;
        if (auto i = v.getIf<int64_t>(); i && (*i == 0 || *i == 1)) return *i == 1;
        return std::nullopt;
    }
    static std::optional<PlistValue> encode(bool v) { return PlistValue(v); }
};

template <>
struct Codec<int> {
    static std::optional<int> decode(const PlistValue& v) {
        // Held to int's range here; the setting's clamp brings it into its own.
        if (auto i = asInteger(v)) return static_cast<int>(std::clamp<int64_t>(*i, INT32_MIN, INT32_MAX));
        return std::nullopt;
    }
    static std::optional<PlistValue> encode(int v) { return PlistValue(v); }
};

template <TextRawEnum E>
struct Codec<E> {
    static std::optional<E> decode(const PlistValue& v) {
        if (auto s = v.getIf<std::string>()) return fromRaw<E>(*s);
        return std::nullopt;
    }
    static std::optional<PlistValue> encode(E v) { return PlistValue(std::string(rawValue(v))); }
};

template <IntegerRawEnum E>
struct Codec<E> {
    static std::optional<E> decode(const PlistValue& v) {
        if (auto i = asInteger(v)) return fromRaw<E>(*i);
        return std::nullopt;
    }
    static std::optional<PlistValue> encode(E v) { return PlistValue(rawValue(v)); }
};

// The raw values in their order, skipping entries that are no raw value of E.
template <TextRawEnum E>
struct Codec<std::vector<E>> {
    static std::optional<std::vector<E>> decode(const PlistValue& v) {
        auto array = v.getIf<PlistValue::Array>();
        if (!array) return std::nullopt;
        std::vector<E> out;
        for (const auto& item : *array)
            if (auto e = Codec<E>::decode(item)) out.push_back(*e);
        return out;
    }
    static std::optional<PlistValue> encode(const std::vector<E>& v) {
        PlistValue::Array out;
        for (auto e : v) out.emplace_back(std::string(rawValue(e)));
        return out;
    }
};

// Read by the names' own migration.
template <>
struct Codec<std::vector<std::string>> {
    static std::optional<PlistValue> encode(const std::vector<std::string>& v) { return stringArray(v); }
};

// Sorted by raw value, so the same set is always stored alike.
template <>
struct Codec<KeyboardReactionSet> {
    static std::optional<KeyboardReactionSet> decode(const PlistValue& v) {
        auto styles = Codec<std::vector<KeyboardReactionStyle>>::decode(v);
        if (!styles) return std::nullopt;
        return KeyboardReactionSet(styles->begin(), styles->end());
    }
    static std::optional<PlistValue> encode(const KeyboardReactionSet& v) { return stringArray(sortedRawValues(v)); }
};

// UTF-8 JSON text of the array.
template <>
struct Codec<std::vector<PetActivityTuning>> {
    static std::optional<std::vector<PetActivityTuning>> decode(const PlistValue& v) {
        auto data = v.getIf<platform::Data>();
        auto j = data ? coding::decode(*data) : std::nullopt;
        if (!j || !j->is_array()) return std::nullopt;
        std::vector<PetActivityTuning> out;
        for (const auto& item : *j) {
            auto tuning = PetActivityTuning::fromJson(item);
            if (!tuning) return std::nullopt;
            out.push_back(*tuning);
        }
        return out;
    }
    static std::optional<PlistValue> encode(const std::vector<PetActivityTuning>& v) {
        Json out = Json::array();
        for (const auto& t : v) out.push_back(t.toJson());
        if (auto data = coding::encode(out)) return PlistValue(std::move(*data));
        return std::nullopt;
    }
};

// What sets one setting apart from the plain read-fallback-write of its type.
template <typename T>
struct Rules {
    // Applied to what was read, or to the fallback, when loading.
    std::function<T(T)> onLoad = nullptr;
    // Applied before writing: a value it changes is assigned again in its repaired form.
    std::function<T(const T&)> onWrite = nullptr;
    // Replaces the plain load (a migration); given the key.
    std::function<void(AppModel&, const std::string&)> load = nullptr;
    // Replaces the plain reset.
    std::function<void(AppModel&)> reset = nullptr;
    bool writtenByOperation = false;
    bool keptByReset = false;
    bool keepsUnreadable = false;
};

template <typename T>
StoredSetting setting(std::string key, platform::Published<T> AppModel::*property, T fallback, Rules<T> rules = {}) {
    StoredSetting s{key, {}, {}, {}, {}};
    s.load = [=](AppModel& m) {
        if (rules.load) return rules.load(m, key);
        std::optional<T> value;
        if constexpr (requires(const PlistValue& v) { Codec<T>::decode(v); }) {
            if (auto stored = m.defaults().object(key)) {
                value = Codec<T>::decode(*stored);
                if (!value && rules.keepsUnreadable) keepUnreadable(m.defaults(), key);
            }
        }
        T loaded = value.value_or(fallback);
        (m.*property).setSilently(rules.onLoad ? rules.onLoad(std::move(loaded)) : std::move(loaded));
    };
    s.wire = [=](AppModel& m) {
        auto& p = m.*property;
        p.setWillChange([&m] { m.objectWillChange.emit(); });
        if (rules.writtenByOperation) return;
        p.setPersistence([=, &m, &p](const T& v) {
            if (rules.onWrite)
                if (T repaired = rules.onWrite(v); repaired != v) {
                    p.set(std::move(repaired));  // publishes the repaired value last and writes it
                    return;
                }
            if (auto stored = Codec<T>::encode(v)) m.defaults().set(key, std::move(*stored));
        });
    };
    if (rules.reset)
        s.reset = rules.reset;
    else if (!rules.keptByReset)
        s.reset = [=](AppModel& m) { m.*property = fallback; };
    s.storedForm = [=](const AppModel& m) { return Codec<T>::encode((m.*property).get()); };
    return s;
}

// Versions before the customisation flags kept only names: a name equal to the original
// default counts as not chosen by the user. The flags are written at every launch.
void loadPetNames(AppModel& m, const std::string& key) {
    std::vector<std::optional<std::string>> names;
    if (auto array = m.defaults().array(key))
        for (const auto& item : *array)
            names.push_back(item.getIf<std::string>() ? std::optional(*item.getIf<std::string>()) : std::nullopt);

    std::vector<bool> flags;
    if (auto array = m.defaults().array(keys::petNameCustomizations)) {
        if (std::all_of(array->begin(), array->end(), [](const PlistValue& v) { return v.is<bool>(); }))
            for (const auto& item : *array) flags.push_back(*item.getIf<bool>());
    }

    static constexpr const char* originalNames[2] = {"栗栗", "丸丸"};
    std::vector<std::string> resolved;
    for (size_t i = 0; i < 2; ++i) {
        const bool hasName = i < names.size() && names[i].has_value();
        const bool flag = i < flags.size() ? flags[i] : hasName && *names[i] != originalNames[i];
        m.petNameCustomizations[i] = flag;
        resolved.push_back(flag && hasName ? *names[i] : defaultPetName(static_cast<int>(i)));
    }
    m.petNames.setSilently(std::move(resolved));
    m.defaults().set(keys::petNameCustomizations,
                     PlistValue::Array{m.petNameCustomizations[0], m.petNameCustomizations[1]});
}

// The count sign joined the reactions in a later version: add it once to a set the user
// already had. A first launch starts from the default reactions, which include it. Both
// keys are written at every launch.
void loadKeyboardReactions(AppModel& m, const std::string& key) {
    KeyboardReactionSet styles;
    if (auto stored = m.defaults().object(key))
        if (auto decoded = Codec<KeyboardReactionSet>::decode(*stored)) {
            styles = *decoded;
            const auto migrated = m.defaults().object(keys::keyboardMilestoneMigrated);
            if (!(migrated && Codec<bool>::decode(*migrated).value_or(false)))
                styles.insert(KeyboardReactionStyle::showCount);
        }
    if (styles.empty()) styles = keyboardReactionDefaults();
    m.keyboardReactions.setSilently(styles);

    m.defaults().set(keys::keyboardMilestoneMigrated, true);
    m.defaults().set(key, *Codec<KeyboardReactionSet>::encode(styles));
}

// The first two kept entries, the fallback's entry for each one missing.
template <typename E>
std::function<std::vector<E>(std::vector<E>)> twoEntries(E fallback) {
    return [=](std::vector<E> v) {
        v.resize(2, fallback);
        return v;
    };
}

int petCountInRange(int count) {
    return std::clamp(count, 1, 2);
}

}  // namespace

void keepUnreadable(platform::Defaults& defaults, const std::string& key) {
    auto value = defaults.object(key);
    if (!value) return;
    const std::string backup = key + ".unreadable";
    if (defaults.object(backup) != value) defaults.set(backup, std::move(*value));
}

const std::vector<StoredSetting>& storedSettings() {
    using M = AppModel;
    using Interval = ReminderInterval;
    static const std::vector<StoredSetting> table{
        setting<AppLanguageChoice>(keys::appLanguageChoice, &M::appLanguage, AppLanguageChoice::system,
                                   {.onLoad =
                                        [](AppLanguageChoice c) {
                                            L10n::setAppLanguageChoice(c);
                                            return c;
                                        },
                                    .writtenByOperation = true,
                                    .keptByReset = true}),
        setting<bool>(keys::keyCountingEnabled, &M::keyCountingEnabled, false),
        setting<bool>(keys::petsVisible, &M::petsVisible, true),
        setting<int>(keys::petCount, &M::petCount, 2, {.onLoad = petCountInRange, .onWrite = petCountInRange}),
        setting<PetActivityLevel>(keys::activityLevel, &M::activityLevel, PetActivityLevel::natural),
        // Three entries, one per level, each factor held to its limits.
        setting<std::vector<PetActivityTuning>>(keys::activityTunings, &M::activityTunings,
                                                std::vector<PetActivityTuning>(3),
                                                {.onLoad =
                                                     [](std::vector<PetActivityTuning> v) {
                                                         v.resize(3);
                                                         for (auto& t : v) t = t.clamped();
                                                         return v;
                                                     },
                                                 .keepsUnreadable = true}),
        setting<std::vector<PetHomePreference>>(keys::homePreferences, &M::homePreferences,
                                                {PetHomePreference::automatic, PetHomePreference::automatic},
                                                {.onLoad = twoEntries(PetHomePreference::automatic)}),
        setting<DragStayDuration>(keys::dragStayDuration, &M::dragStayDuration, DragStayDuration::minute),
        setting<bool>(keys::hideInFullScreen, &M::hideInFullScreen, true),
        setting<bool>(keys::windowWalkingEnabled, &M::windowWalkingEnabled, false),
        setting<std::vector<std::string>>(keys::petNames, &M::petNames, {},
                                          {.load = loadPetNames, .reset = [](M& m) { m.resetPetNames(); }}),
        setting<std::vector<PetAccessory>>(keys::petAccessories, &M::petAccessories,
                                           {PetAccessory::none, PetAccessory::none},
                                           {.onLoad = twoEntries(PetAccessory::none)}),
        setting<bool>(keys::restRemindersEnabled, &M::restRemindersEnabled, true),
        setting<bool>(keys::waterRemindersEnabled, &M::waterRemindersEnabled, false),
        setting<bool>(keys::stretchRemindersEnabled, &M::stretchRemindersEnabled, false),
        setting<bool>(keys::lookFarRemindersEnabled, &M::lookFarRemindersEnabled, false),
        setting<Interval>(keys::restReminderInterval, &M::restReminderInterval, Interval::fifty),
        setting<Interval>(keys::waterReminderInterval, &M::waterReminderInterval, Interval::twoHours),
        setting<Interval>(keys::stretchReminderInterval, &M::stretchReminderInterval, Interval::sixty),
        setting<Interval>(keys::lookFarReminderInterval, &M::lookFarReminderInterval, Interval::thirty),
        setting<bool>(keys::reminderGesturesEnabled, &M::reminderGesturesEnabled, true),
        setting<bool>(keys::onboardingCompleted, &M::onboardingCompleted, false, {.keptByReset = true}),
        setting<bool>(keys::automaticUpdateChecks, &M::automaticUpdateChecks, true, {.keptByReset = true}),
        // The reset puts the defaults back after the reminder stamps.
        setting<KeyboardReactionSet>(
            keys::keyboardReactions, &M::keyboardReactions, keyboardReactionDefaults(),
            {.onWrite = [](const KeyboardReactionSet& v) { return v.empty() ? keyboardReactionDefaults() : v; },
             .load = loadKeyboardReactions,
             .keptByReset = true}),
    };
    return table;
}

}  // namespace model
