#include <map>

#include <nlohmann/json.hpp>

#include "model/AppModelTestSupport.h"
#include "model/StoredSettings.h"

using namespace model;
using model::testing::AppModelTest;
using platform::PlistValue;

using AppModelLoading = AppModelTest;

namespace {

// Three tunings in their stored form, the first with this scene frequency.
PlistValue tunings(double scene) {
    Json out = Json::array();
    for (double f : {scene, 1.0, 1.0})
        out.push_back({{"sceneFrequency", f}, {"interactionFrequency", 1.0}, {"travelDistance", 1.0}});
    return *coding::encode(out);
}

// Every stored setting by the key and in the form users' files hold it: its first-launch
// value and a value an earlier launch may have stored.
struct StoredCase {
    std::string key;
    PlistValue firstLaunch, earlier;
};
std::vector<StoredCase> storedCases() {
    auto names = [](std::vector<std::string> v) { return AppModelTest::strings(std::move(v)); };
    return {
        {"appLanguageChoice", "system", "english"},
        {"keyCountingEnabled", false, true},
        {"petsVisible", true, false},
        {"petCount", 2, 1},
        {"activityLevel", "natural", "lively"},
        {"activityTunings", tunings(1.0), tunings(0.7)},
        {"homePreferences", names({"automatic", "automatic"}), names({"notch", "dock"})},
        {"dragStayDuration", "minute", "untilCalledHome"},
        {"hideInFullScreen", true, false},
        {"windowWalkingEnabled", false, true},
        {"petNames", names({defaultPetName(0), defaultPetName(1)}), names({"Bean", "Pip"})},
        {"petAccessories", names({"none", "none"}), names({"starPin", "scarf"})},
        {"restRemindersEnabled", true, false},
        {"waterRemindersEnabled", false, true},
        {"stretchRemindersEnabled", false, true},
        {"lookFarRemindersEnabled", false, true},
        {"restReminderInterval", 50, 20},
        {"waterReminderInterval", 120, 45},
        {"stretchReminderInterval", 60, 90},
        {"lookFarReminderInterval", 30, 180},
        {"reminderGesturesEnabled", true, false},
        {"onboardingCompleted", false, true},
        {"automaticUpdateChecks", true, false},
        // The first launch gets the same reactions the settings show, not the count sign alone.
        {"keyboardReactions", names({"bounce", "fluff", "paws", "showCount"}), names({"blink", "tilt"})},
    };
}

std::map<std::string, std::optional<PlistValue>> storedForms(const AppModel& m) {
    std::map<std::string, std::optional<PlistValue>> out;
    for (const auto& setting : storedSettings()) out[setting.key] = setting.storedForm(m);
    return out;
}

}  // namespace

TEST_F(AppModelLoading, firstLaunchUsesEveryFallbackAndWritesOnlyFourKeys) {
    auto m = launch();
    auto forms = storedForms(*m);
    EXPECT_EQ(forms.size(), storedCases().size());
    for (const auto& c : storedCases()) EXPECT_EQ(forms[c.key], c.firstLaunch) << c.key;
    EXPECT_EQ(L10n::appLanguageChoice(), AppLanguageChoice::system);
    EXPECT_EQ(m->petNameCustomizations, (std::array<bool, 2>{false, false}));
    EXPECT_EQ(m->companionRecord.get(), CompanionRecord::startingAt(now()));
    EXPECT_FALSE(m->isFocusActive.get());
    EXPECT_EQ(m->focusRemaining.get(), 0);
    EXPECT_EQ(m->focusEndsAt, std::nullopt);
    for (auto stamp : {m->lastRestActionAt, m->lastWaterActionAt, m->lastStretchActionAt, m->lastLookFarActionAt,
                       m->lastGentleReminderAt})
        EXPECT_EQ(stamp, now());
    EXPECT_EQ(m->ledger.get(), KeystrokeLedger{});
    EXPECT_EQ(m->updateDownloadState.get(), updates::UpdateDownloadState::idle());
    EXPECT_EQ(m->keyboardMonitorState.get(), KeyboardMonitorState::disabled);

    EXPECT_EQ(sim.defaults.writeLog(),
              (std::vector<std::string>{"petNameCustomizations", "keyboardMilestoneV490Migrated", "keyboardReactions",
                                        "companionRecord"}));
    EXPECT_EQ(stored("petNameCustomizations"), PlistValue(PlistValue::Array{false, false}));
    EXPECT_EQ(stored("keyboardMilestoneV490Migrated"), PlistValue(true));
    EXPECT_EQ(stored("keyboardReactions"), strings({"bounce", "fluff", "paws", "showCount"}));
    EXPECT_EQ(CompanionRecord::fromJson(*storedJson("companionRecord")), m->companionRecord.get());
}

TEST_F(AppModelLoading, everySettingLoadsWhatAnEarlierLaunchStoredUnderItsKey) {
    store("keyboardMilestoneV490Migrated", true);
    for (const auto& c : storedCases()) store(c.key, c.earlier);
    auto m = launch();
    auto forms = storedForms(*m);
    for (const auto& c : storedCases()) EXPECT_EQ(forms[c.key], c.earlier) << c.key;
    EXPECT_EQ(L10n::appLanguageChoice(), AppLanguageChoice::english);
}

TEST_F(AppModelLoading, resetWritesEveryFirstLaunchValueUnderItsKeyButOnboardingAndUpdateChecks) {
    store("keyboardMilestoneV490Migrated", true);
    for (const auto& c : storedCases()) store(c.key, c.earlier);
    launch()->resetAllLocalData();
    for (const auto& c : storedCases()) {
        const bool kept = c.key == "onboardingCompleted" || c.key == "automaticUpdateChecks";
        EXPECT_EQ(stored(c.key), kept ? c.earlier : c.firstLaunch) << c.key;
    }
}

TEST_F(AppModelLoading, storedReactionsGainTheCountSignOnceAndAreWrittenBack) {
    store("keyboardReactions", strings({"paws", "bounce"}));
    auto m = launch();
    EXPECT_EQ(m->keyboardReactions.get(),
              (KeyboardReactionSet{KeyboardReactionStyle::bounce, KeyboardReactionStyle::paws,
                                   KeyboardReactionStyle::showCount}));
    EXPECT_EQ(stored("keyboardReactions"), strings({"bounce", "paws", "showCount"}));

    // The user then turns the count sign off: the next launch must not bring it back.
    store("keyboardReactions", strings({"bounce", "paws"}));
    m.reset();
    m = launch();
    EXPECT_EQ(m->keyboardReactions.get(),
              (KeyboardReactionSet{KeyboardReactionStyle::bounce, KeyboardReactionStyle::paws}));
}

TEST_F(AppModelLoading, storedReactionsWithNoKnownStyleFallBackToTheDefaults) {
    store("keyboardMilestoneV490Migrated", true);
    store("keyboardReactions", strings({"wiggle", "Bounce"}));
    auto m = launch();
    EXPECT_EQ(m->keyboardReactions.get(), keyboardReactionDefaults());
    EXPECT_EQ(stored("keyboardReactions"), strings({"bounce", "fluff", "paws", "showCount"}));
}

TEST_F(AppModelLoading, namesWithoutFlagsCountAsCustomOnlyWhenTheyDifferFromTheOriginalDefaults) {
    store("petNames", strings({"栗栗", "Momo"}));
    auto m = launch();
    EXPECT_EQ(m->petNameCustomizations, (std::array<bool, 2>{false, true}));
    EXPECT_EQ(m->petNames.get(), (std::vector<std::string>{defaultPetName(0), "Momo"}));
    EXPECT_EQ(stored("petNameCustomizations"), PlistValue(PlistValue::Array{false, true}));
}

TEST_F(AppModelLoading, storedFlagsDecideAndMissingFlagsAreDerived) {
    store("petNames", strings({"Bean", "丸丸"}));
    store("petNameCustomizations", PlistValue::Array{true});
    auto m = launch();
    EXPECT_EQ(m->petNameCustomizations, (std::array<bool, 2>{true, false}));
    EXPECT_EQ(m->petNames.get(), (std::vector<std::string>{"Bean", defaultPetName(1)}));
}

TEST_F(AppModelLoading, flagsWithAnEntryThatIsNoBooleanAreIgnored) {
    store("petNames", strings({"Bean", "Pip"}));
    store("petNameCustomizations", PlistValue::Array{false, 1});
    auto m = launch();
    EXPECT_EQ(m->petNameCustomizations, (std::array<bool, 2>{true, true}));
    EXPECT_EQ(m->petNames.get(), (std::vector<std::string>{"Bean", "Pip"}));
}

TEST_F(AppModelLoading, aFlaggedPetWithoutAStoredNameGetsTheDefault) {
    store("petNames", PlistValue::Array{7, PlistValue("Pip")});
    store("petNameCustomizations", PlistValue::Array{true, true});
    auto m = launch();
    EXPECT_EQ(m->petNames.get(), (std::vector<std::string>{defaultPetName(0), "Pip"}));
}

TEST_F(AppModelLoading, shortLongOrBadArraysAreRepairedInMemoryOnly) {
    store("homePreferences", strings({"dock"}));
    store("petAccessories", strings({"hat", "scarf", "starPin"}));
    auto m = launch();
    EXPECT_EQ(m->homePreferences.get(),
              (std::vector<PetHomePreference>{PetHomePreference::dock, PetHomePreference::automatic}));
    EXPECT_EQ(m->petAccessories.get(), (std::vector<PetAccessory>{PetAccessory::scarf, PetAccessory::starPin}));
    EXPECT_EQ(stored("homePreferences"), strings({"dock"}));

    store("homePreferences", strings({"sky", "notch", "dock"}));
    m.reset();
    m = launch();
    EXPECT_EQ(m->homePreferences.get(),
              (std::vector<PetHomePreference>{PetHomePreference::notch, PetHomePreference::dock}));
}

TEST_F(AppModelLoading, tuningsAreClampedPaddedToThreeAndNotRewritten) {
    const auto one = bytes(R"([{"sceneFrequency":0.2,"interactionFrequency":1.0,"travelDistance":9.0}])");
    store("activityTunings", one);
    auto m = launch();
    EXPECT_EQ(m->activityTunings.get(), (std::vector<PetActivityTuning>{{0.5, 1.0, 1.6}, {1, 1, 1}, {1, 1, 1}}));
    EXPECT_EQ(stored("activityTunings"), PlistValue(one));

    Json four = Json::array();
    for (double f : {0.6, 0.7, 0.8, 0.9})
        four.push_back({{"sceneFrequency", f}, {"interactionFrequency", 1}, {"travelDistance", 1}});
    store("activityTunings", *coding::encode(four));
    m.reset();
    m = launch();
    ASSERT_EQ(m->activityTunings->size(), 3u);
    EXPECT_DOUBLE_EQ(m->activityTunings.get()[2].sceneFrequency, 0.8);
}

TEST_F(AppModelLoading, intervalsOutsideTheEightChoicesUseTheirFallbacks) {
    store("restReminderInterval", 55);
    store("waterReminderInterval", 45);
    store("stretchReminderInterval", "90");
    store("lookFarReminderInterval", 180.0);
    auto m = launch();
    EXPECT_EQ(m->restReminderInterval.get(), ReminderInterval::fifty);
    EXPECT_EQ(m->waterReminderInterval.get(), ReminderInterval::fortyFive);
    EXPECT_EQ(m->stretchReminderInterval.get(), ReminderInterval::sixty);
    EXPECT_EQ(m->lookFarReminderInterval.get(), ReminderInterval::threeHours);
}

TEST_F(AppModelLoading, petCountIsClampedWithoutRewritingTheStoredValue) {
    store("petCount", 0);
    EXPECT_EQ(launch()->petCount.get(), 1);
    EXPECT_EQ(stored("petCount"), PlistValue(0));
    store("petCount", 7);
    EXPECT_EQ(launch()->petCount.get(), 2);
    store("petCount", int64_t{-9000000000});
    EXPECT_EQ(launch()->petCount.get(), 1);
    store("petCount", "1");
    EXPECT_EQ(launch()->petCount.get(), 2);
}

TEST_F(AppModelLoading, valuesOfTheWrongTypeUseTheFallback) {
    store("petsVisible", "no");
    store("hideInFullScreen", 0);
    store("activityLevel", "Lively");
    store("dragStayDuration", "short");
    store("appLanguageChoice", "klingon");
    auto m = launch();
    EXPECT_TRUE(m->petsVisible.get());
    EXPECT_FALSE(m->hideInFullScreen.get()) << "an integer 0 reads as a stored Boolean";
    EXPECT_EQ(m->activityLevel.get(), PetActivityLevel::natural);
    EXPECT_EQ(m->dragStayDuration.get(), DragStayDuration::short_);
    EXPECT_EQ(m->appLanguage.get(), AppLanguageChoice::system);
}

TEST_F(AppModelLoading, focusSessionIsRestoredFromItsEndDate) {
    store("focusEndsAt", now().addingTimeInterval(600));
    auto m = launch();
    EXPECT_TRUE(m->isFocusActive.get());
    EXPECT_GT(m->focusRemaining.get(), 599);
    EXPECT_LE(m->focusRemaining.get(), 600);

    const auto past = now().addingTimeInterval(-30);
    store("focusEndsAt", past);
    m.reset();
    m = launch();
    EXPECT_FALSE(m->isFocusActive.get());
    EXPECT_EQ(m->focusRemaining.get(), 0);
    EXPECT_EQ(m->focusEndsAt, past);
}

TEST_F(AppModelLoading, reminderStampsLoadAndAFutureStampCountsAsNow) {
    const auto earlier = now().addingTimeInterval(-4000);
    store("lastRestActionAt", earlier);
    store("lastGentleReminderAt", now().addingTimeInterval(3 * 86400));
    store("lastWaterActionAt", "yesterday");
    auto m = launch();
    EXPECT_EQ(m->lastRestActionAt, earlier);
    EXPECT_EQ(m->lastGentleReminderAt, now());
    EXPECT_EQ(m->lastWaterActionAt, now());
}

TEST_F(AppModelLoading, unreadableCompanionRecordIsKeptAsideBeforeItIsReplaced) {
    const auto bad = bytes(R"({"firstMetAt": 1, "totalCompanionSeconds": 99999)");
    store("companionRecord", bad);
    auto m = launch();
    EXPECT_EQ(m->companionRecord.get(), CompanionRecord::startingAt(now()));
    EXPECT_EQ(stored("companionRecord.unreadable"), PlistValue(bad));
    EXPECT_EQ(CompanionRecord::fromJson(*storedJson("companionRecord")), m->companionRecord.get());
    auto log = sim.defaults.writeLog();
    EXPECT_LT(std::find(log.begin(), log.end(), "companionRecord.unreadable"),
              std::find(log.begin(), log.end(), "companionRecord"));

    // The next launch reads the fresh record and leaves the kept copy alone.
    m.reset();
    m = launch();
    EXPECT_EQ(stored("companionRecord.unreadable"), PlistValue(bad));
}

TEST_F(AppModelLoading, unreadableLedgerAndTuningsAreKeptAsideAndLeftInPlace) {
    const auto badLedger = bytes(R"({"dailyCounts":{"2026-03-07":12},"allTimeCount":"12"})");
    store("keystrokeLedger", badLedger);
    store("activityTunings", "not data");
    auto m = launch();
    EXPECT_EQ(m->ledger.get(), KeystrokeLedger{});
    EXPECT_EQ(m->activityTunings.get(), std::vector<PetActivityTuning>(3));
    EXPECT_EQ(stored("keystrokeLedger.unreadable"), PlistValue(badLedger));
    EXPECT_EQ(stored("keystrokeLedger"), PlistValue(badLedger));
    EXPECT_EQ(stored("activityTunings.unreadable"), PlistValue("not data"));
}

TEST_F(AppModelLoading, achievementsAreRefreshedWithTheLedgerAtLaunch) {
    CompanionRecord record = CompanionRecord::startingAt(now().addingTimeInterval(-86400));
    record.totalCompanionSeconds = 600;
    store("companionRecord", *coding::encode(record.toJson()));
    store("keystrokeLedger", *coding::encode(KeystrokeLedger{{}, 150}.toJson()));
    auto m = launch();
    EXPECT_EQ(m->companionRecord->unlockedIDs, (std::set<std::string>{"firstSteps", "keyboardFriend"}));
    EXPECT_EQ(m->companionRecord->firstMetAt, record.firstMetAt);
    EXPECT_EQ(CompanionRecord::fromJson(*storedJson("companionRecord"))->unlockedIDs, m->companionRecord->unlockedIDs);
}
