#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

#include "model/AppModelTestSupport.h"

using namespace model;
using model::testing::AppModelTest;
using platform::PlistValue;

using AppModelPersistence = AppModelTest;

TEST_F(AppModelPersistence, subscriberReadsTheNewValueBeforeItIsStored) {
    auto m = launch();
    bool seen = false;
    std::optional<bool> storedMeanwhile;
    auto sub = m->keyCountingEnabled.subscribe(
        [&](const bool&) {
            seen = m->keyCountingEnabled.get();
            storedMeanwhile = sim.defaults.boolValue("keyCountingEnabled");
        },
        false);
    m->keyCountingEnabled = true;
    EXPECT_TRUE(seen) << "switching key counting on must leave the counter on";
    EXPECT_EQ(storedMeanwhile, std::nullopt);
    EXPECT_EQ(stored("keyCountingEnabled"), PlistValue(true));
}

TEST_F(AppModelPersistence, arraysAreWrittenWhateverTheirLength) {
    auto m = launch();
    m->homePreferences = {PetHomePreference::notch};
    EXPECT_EQ(stored("homePreferences"), strings({"notch"}));
}

TEST_F(AppModelPersistence, liveStateIsNeverStored) {
    auto m = launch();
    sim.defaults.clearWriteLog();
    m->isHiddenForFullScreen = true;
    m->typingIntensity = 0.5;
    m->launchAtLoginMessage = "x";
    m->updateCheckResult = updates::UpdateCheckResult::checking();
    m->updateDownloadState = updates::UpdateDownloadState::downloading(0.25);
    m->wellbeingAction = WellbeingAction::drink;
    EXPECT_TRUE(sim.defaults.writeLog().empty());
}

TEST_F(AppModelPersistence, petCountOutsideOneToTwoIsClampedPublishedLastAndStoredClamped) {
    auto m = launch();
    std::vector<int> published;
    auto sub = m->petCount.subscribe([&](const int& v) { published.push_back(v); }, false);
    sim.defaults.clearWriteLog();
    m->petCount = 3;
    EXPECT_EQ(m->petCount.get(), 2);
    ASSERT_FALSE(published.empty());
    EXPECT_EQ(published.back(), 2);
    EXPECT_EQ(stored("petCount"), PlistValue(2));
    EXPECT_EQ(sim.defaults.writeLog(), std::vector<std::string>{"petCount"});

    m->petCount = 0;
    EXPECT_EQ(m->petCount.get(), 1);
    EXPECT_EQ(published.back(), 1);
    EXPECT_EQ(stored("petCount"), PlistValue(1));
}

TEST_F(AppModelPersistence, emptyingTheReactionsRestoresAndStoresTheDefaults) {
    auto m = launch();
    std::vector<KeyboardReactionSet> published;
    auto sub = m->keyboardReactions.subscribe([&](const KeyboardReactionSet& v) { published.push_back(v); }, false);
    m->keyboardReactions = KeyboardReactionSet{};
    EXPECT_EQ(m->keyboardReactions.get(), keyboardReactionDefaults());
    EXPECT_EQ(published.back(), keyboardReactionDefaults());
    EXPECT_EQ(stored("keyboardReactions"), strings({"bounce", "fluff", "paws", "showCount"}));

    m->keyboardReactions = KeyboardReactionSet{KeyboardReactionStyle::tilt, KeyboardReactionStyle::blink};
    EXPECT_EQ(stored("keyboardReactions"), strings({"blink", "tilt"}));
}

TEST_F(AppModelPersistence, willChangeFiresBeforeEveryPublishedChange) {
    auto m = launch();
    std::vector<bool> visibleAtWillChange;
    auto sub = m->objectWillChange.subscribe([&] { visibleAtWillChange.push_back(m->petsVisible.get()); });
    m->petsVisible = false;
    m->isHiddenForFullScreen = true;
    m->ledger = KeystrokeLedger{{}, 1};
    EXPECT_EQ(visibleAtWillChange, (std::vector<bool>{true, false, false}));
}

TEST_F(AppModelPersistence, petsAwayFromHome_reachesItsOwnSubscribersButNotTheViewsOfTheWholeModel) {
    auto m = launch();
    int willChange = 0;
    std::vector<int> away;
    auto whole = m->objectWillChange.subscribe([&] { ++willChange; });
    auto own = m->petsAwayFromHome.subscribe([&](int n) { away.push_back(n); }, false);
    for (int n : {1, 2, 0}) m->petsAwayFromHome = n;
    EXPECT_EQ(away, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(willChange, 0) << "a walk redraws nothing that follows the whole model";
}

TEST_F(AppModelPersistence, recordThatCannotBeEncodedLeavesThePreviousDataInPlace) {
    auto m = launch();
    const auto before = stored("companionRecord");
    m->companionRecord.modify([](CompanionRecord& r) { r.totalCompanionSeconds = std::nan(""); });
    m->persistCompanionRecord();
    EXPECT_EQ(stored("companionRecord"), before);

    m->activityTunings = {{1.2, 1, 1}, {1, 1, 1}, {1, 1, 1}};
    const auto tunings = stored("activityTunings");
    m->activityTunings = {{std::numeric_limits<double>::infinity(), 1, 1}, {1, 1, 1}, {1, 1, 1}};
    EXPECT_EQ(stored("activityTunings"), tunings);
}
