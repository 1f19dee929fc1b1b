#include <nlohmann/json.hpp>

#include "model/AppModelTestSupport.h"
#include "model/TimeZoneTestSupport.h"

using namespace model;
using model::testing::TimeZoneOverride;
using Style = KeyboardReactionStyle;

namespace {

struct KeyPressRecording : model::testing::AppModelTest {
    TimeZoneOverride zone{model::testing::kUtc};
    std::unique_ptr<AppModel> model = launch();
    std::vector<KeyboardReactionEvent> events;
    platform::Subscription eventLog = model->keyboardReaction.subscribe(
        [this](const std::optional<KeyboardReactionEvent>& e) {
            if (e) events.push_back(*e);
        },
        false);

    platform::Date at(double seconds) const { return platform::Date{800000000.0 + seconds}; }
    std::string today() const { return platform::calendar::dayKey(now()); }
    std::optional<KeystrokeLedger> storedLedger() const {
        auto j = storedJson(keys::keystrokeLedger);
        return j ? KeystrokeLedger::fromJson(*j) : std::nullopt;
    }
};

}  // namespace

TEST_F(KeyPressRecording, firstPressReactsWithBounceAndStylesRotateAtTheThrottleInterval) {
    model->recordKeystroke(at(0));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].style, Style::bounce);
    EXPECT_EQ(events[0].sequence, 0);
    EXPECT_DOUBLE_EQ(events[0].intensity, 0.24);

    model->recordKeystroke(at(0.05));
    model->recordKeystroke(at(0.0849));
    EXPECT_EQ(events.size(), 1u) << "below 0.085 s after the last reaction";
    EXPECT_EQ(model->ledger->allTimeCount, 3) << "every press counts";

    model->recordKeystroke(at(0.085));
    model->recordKeystroke(at(0.170));
    model->recordKeystroke(at(0.255));
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[1].style, Style::paws);
    EXPECT_EQ(events[2].style, Style::fluff);
    EXPECT_EQ(events[3].style, Style::bounce);
    EXPECT_EQ(events[3].sequence, 3);
    EXPECT_NE(events[1].id, events[2].id);
    EXPECT_DOUBLE_EQ(events[3].intensity, model->typingIntensity.get());
    EXPECT_EQ(model->lastKeyAt.get(), at(0.255));
}

TEST_F(KeyPressRecording, clockSetBackKeepsThePetsReacting) {
    model->recordKeystroke(at(3600));
    model->recordKeystroke(at(0));
    ASSERT_EQ(events.size(), 2u);
    model->recordKeystroke(at(0.05));
    EXPECT_EQ(events.size(), 2u) << "throttled again from the new stamp";
    model->recordKeystroke(at(0.1));
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(KeyPressRecording, hundredthPressOfTheDaySetsTheMilestoneOnlyWithTheCountSign) {
    model->ledger = KeystrokeLedger{{{today(), 98}}, 98};
    model->recordKeystroke(now());
    EXPECT_EQ(model->keyboardMilestone.get(), std::nullopt);
    model->recordKeystroke(now());
    EXPECT_EQ(model->keyboardMilestone.get(), 100);
    model->recordKeystroke(now());
    EXPECT_EQ(model->keyboardMilestone.get(), 100) << "kept until the next milestone";

    model->keyboardReactions = {Style::bounce};
    model->ledger = KeystrokeLedger{{{today(), 199}}, 199};
    model->recordKeystroke(now());
    EXPECT_EQ(model->keyboardMilestone.get(), 100);
}

TEST_F(KeyPressRecording, resetTodayTakesTodayOffTheTotalAndStoresAtOnce) {
    model->ledger = KeystrokeLedger{{{today(), 250}, {"2020-01-01", 7}}, 200};
    model->resetToday();
    EXPECT_EQ(model->ledger.get(), (KeystrokeLedger{{{"2020-01-01", 7}}, 0}));
    EXPECT_EQ(model->todayKeyCount(), 0);
    EXPECT_EQ(storedLedger(), model->ledger.get());

    model->ledger = KeystrokeLedger{{{today(), 250}, {"2020-01-01", 7}}, 1000};
    model->resetToday();
    EXPECT_EQ(model->ledger.get().allTimeCount, 750) << "only today's count comes off the total";

    model->recordKeystroke(now());
    model->resetToday();
    EXPECT_EQ(storedLedger(), (KeystrokeLedger{{{"2020-01-01", 7}}, 750}));
    sim.loop.advance(5);
    EXPECT_EQ(storedLedger(), (KeystrokeLedger{{{"2020-01-01", 7}}, 750})) << "no stale write afterwards";
}

TEST_F(KeyPressRecording, ledgerIsStoredOnceForABurstAndAtOnceWhenFlushed) {
    sim.defaults.clearWriteLog();
    for (int i = 0; i < 50; ++i) model->recordKeystroke(now());
    EXPECT_FALSE(storedLedger());
    sim.loop.advance(1.0);
    EXPECT_EQ(storedLedger(), model->ledger.get());
    EXPECT_EQ(sim.defaults.writeLog(), std::vector<std::string>{keys::keystrokeLedger});

    model->recordKeystroke(now());
    model->flushPendingWrites();
    EXPECT_EQ(storedLedger()->allTimeCount, 51);

    model->recordKeystroke(now());
    model.reset();
    sim.loop.advance(2.0);  // the write scheduled for a model that is gone does nothing
    EXPECT_EQ(storedLedger()->allTimeCount, 51);
}

TEST_F(KeyPressRecording, keyAchievementUnlocksAndIsStoredOnThePressThatReachesIt) {
    model->ledger = KeystrokeLedger{{}, 98};
    int recordPublished = 0;
    auto sub = model->companionRecord.subscribe([&](const CompanionRecord&) { ++recordPublished; }, false);
    model->recordKeystroke(now());
    EXPECT_EQ(recordPublished, 0) << "nothing unlocked, nothing to publish";
    model->recordKeystroke(now());
    EXPECT_EQ(recordPublished, 1);
    EXPECT_TRUE(model->companionRecord->unlockedIDs.count("keyboardFriend"));
    EXPECT_EQ(CompanionRecord::fromJson(*storedJson(keys::companionRecord)), model->companionRecord.get());
}

TEST_F(KeyPressRecording, pressesAfterATimeZoneChangeCountForTheNewLocalDay) {
    const platform::Date evening = platform::calendar::dateFromLocal(2026, 3, 7, 23, 30);
    model->recordKeystroke(evening);
    zone.switchTo(model::testing::kTokyo);
    model->recordKeystroke(evening.addingTimeInterval(60));
    EXPECT_EQ(model->ledger->dailyCounts, (std::map<std::string, int64_t>{{"2026-03-07", 1}, {"2026-03-08", 1}}));
}

TEST_F(KeyPressRecording, monitorStateRefreshesTheGrantAndTheLastReactionStyleStaysOn) {
    sim.keyTaps.accessGranted = false;
    model->setKeyboardMonitorState(KeyboardMonitorState::listening);
    EXPECT_TRUE(model->keyboardPermissionGranted.get());
    model->setKeyboardMonitorState(KeyboardMonitorState::failed);
    EXPECT_EQ(model->keyboardMonitorState.get(), KeyboardMonitorState::failed);
    EXPECT_FALSE(model->keyboardPermissionGranted.get());
    sim.keyTaps.accessGranted = true;
    model->setKeyboardMonitorState(KeyboardMonitorState::disabled);
    EXPECT_TRUE(model->keyboardPermissionGranted.get());

    model->keyboardReactions = {Style::hop};
    model->setKeyboardReaction(Style::hop, false);
    EXPECT_EQ(model->keyboardReactions.get(), KeyboardReactionSet{Style::hop});
    model->setKeyboardReaction(Style::tilt, true);
    model->setKeyboardReaction(Style::hop, false);
    EXPECT_EQ(model->keyboardReactions.get(), KeyboardReactionSet{Style::tilt});
    EXPECT_EQ(stored(keys::keyboardReactions), strings({"tilt"}));
}

TEST_F(KeyPressRecording, withAJournalASecondOfTypingLeavesTheSettingsAloneAndTheNextStartReplaysIt) {
    platform::MemoryJournal journal;
    model = std::make_unique<AppModel>(sim.defaults, sim.loop, &journal);
    model->ledger = KeystrokeLedger{{{"2020-01-01", 7}, {today(), 2}}, 9};
    model->persistLedger();
    sim.defaults.clearWriteLog();
    for (int i = 0; i < 3; ++i) model->recordKeystroke(now());
    sim.loop.advance(1.0);
    EXPECT_EQ(journal.records().size(), 1u);
    EXPECT_TRUE(sim.defaults.writeLog().empty());

    // Killed here: the next start has the presses and folds them into the settings.
    model = std::make_unique<AppModel>(sim.defaults, sim.loop, &journal);
    const KeystrokeLedger typed{{{"2020-01-01", 7}, {today(), 5}}, 12};
    EXPECT_EQ(model->ledger.get(), typed);
    EXPECT_EQ(storedLedger(), typed);
    EXPECT_TRUE(journal.records().empty());

    // A reset after more typing is not undone by what the journal held.
    model->recordKeystroke(now());
    sim.loop.advance(1.0);
    model->resetToday();
    model = std::make_unique<AppModel>(sim.defaults, sim.loop, &journal);
    EXPECT_EQ(model->ledger.get(), (KeystrokeLedger{{{"2020-01-01", 7}}, 7}));
}

// Typing at ten keys a second, killed at different moments of the write cycle: what the journal
// holds misses only the last moment of typing, never most of a second.
TEST_F(KeyPressRecording, withAJournalAKillAnywhereInTheWriteCycleLosesLessThanHalfASecond) {
    for (int typedBeforeKill : {1, 3, 5, 8, 12, 19}) {
        SCOPED_TRACE(typedBeforeKill);
        platform::MemoryJournal journal;
        model = std::make_unique<AppModel>(sim.defaults, sim.loop, &journal);
        model->ledger = KeystrokeLedger{};
        model->persistLedger();
        for (int i = 0; i < typedBeforeKill; ++i) {
            model->recordKeystroke(now());
            sim.loop.advance(0.1);
        }
        model.reset();  // killed: nothing more is written
        model = std::make_unique<AppModel>(sim.defaults, sim.loop, &journal);
        EXPECT_GT(model->ledger->allTimeCount, typedBeforeKill - 5);
    }
}
