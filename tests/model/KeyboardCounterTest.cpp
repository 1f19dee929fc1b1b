#include "model/KeyboardCounter.h"

#include <nlohmann/json.hpp>
#include <numeric>

#include "model/AppModelTestSupport.h"

using namespace model;
using platform::KeyTapEventType;

namespace {

struct KeyboardCounterTest : model::testing::AppModelTest {
    std::unique_ptr<AppModel> model = launch();
    std::shared_ptr<KeyboardCounter> counter = KeyboardCounter::create(model.get());
    platform::sim::SimKeyEventTapSystem& taps = sim.keyTaps;

    KeyboardMonitorState state() const { return model->keyboardMonitorState.get(); }
    int64_t counted() const { return model->ledger->allTimeCount; }

    // Key counting on, access granted, tap installed.
    void startListening() {
        taps.accessGranted = true;
        model->keyCountingEnabled = true;
        counter->refresh();
        ASSERT_EQ(state(), KeyboardMonitorState::listening);
    }
};

TEST_F(KeyboardCounterTest, keyCountingOff_installsNothingAndReportsDisabled) {
    taps.accessGranted = true;
    counter->refresh();
    EXPECT_EQ(state(), KeyboardMonitorState::disabled);
    EXPECT_TRUE(model->keyboardPermissionGranted.get());
    EXPECT_EQ(taps.createdCount, 0);
    EXPECT_EQ(sim.loop.activeTimerCount(), 0u);
}

TEST_F(KeyboardCounterTest, listening_countsEachPressOnceAtTheTimeItIsHandled) {
    startListening();
    taps.pressKey();
    EXPECT_EQ(counted(), 0) << "the press is handed over on a later turn, not inside the tap";
    sim.loop.runPending();
    EXPECT_EQ(counted(), 1);
    EXPECT_EQ(model->lastKeyAt.get(), sim.loop.now());

    // Holding a key: the repeats are skipped.
    taps.pressKey();
    taps.pressKey(true);
    taps.pressKey(true);
    sim.loop.runPending();
    EXPECT_EQ(counted(), 2);
}

// Presses the tap hands over together, late, are stamped when they went down: the pets answer
// the rhythm typed, not the rhythm in which the presses were read.
TEST_F(KeyboardCounterTest, pressesHandedOverTogether_keepTheRhythmTheyWereTypedIn) {
    startListening();
    auto press = [&](double waited) {
        taps.pressKey(false, waited);
        sim.loop.runPending();
    };
    constexpr double readLate = 0.03;
    press(0);
    for (const std::vector<double>& gaps : {std::vector{0.05, 0.05}, {0.2, 0.2}, {0.09, 0.3, 0.8}}) {
        sim.loop.advance(5);  // a pause: the next press starts the rhythm afresh
        press(0);
        for (double gap : gaps) sim.loop.advance(gap), press(0);
        const double live = model->typingIntensity.get();

        sim.loop.advance(5);
        press(0);
        double typed = std::accumulate(gaps.begin(), gaps.end(), readLate);
        sim.loop.advance(typed);
        for (double gap : gaps) taps.pressKey(false, typed -= gap);
        sim.loop.runPending();
        EXPECT_DOUBLE_EQ(model->typingIntensity.get(), live) << gaps.size() << " presses";
        EXPECT_NEAR(sim.loop.now().timeIntervalSince(*model->lastKeyAt.get()), readLate, 1e-6);
    }
}

TEST_F(KeyboardCounterTest, refreshWhileListening_reusesTheTap) {
    startListening();
    auto* tap = taps.currentTap();
    counter->refresh();
    counter->refresh();
    counter->start();
    EXPECT_EQ(state(), KeyboardMonitorState::listening);
    EXPECT_EQ(taps.createdCount, 1);
    EXPECT_EQ(taps.liveTapCount(), 1u);
    EXPECT_EQ(taps.currentTap(), tap);
}

TEST_F(KeyboardCounterTest, switchedOff_removesTheTapAndDropsAPressQueuedJustBefore) {
    startListening();
    taps.pressKey();
    model->keyCountingEnabled = false;
    counter->refresh();
    EXPECT_EQ(state(), KeyboardMonitorState::disabled);
    EXPECT_EQ(taps.liveTapCount(), 0u);
    sim.loop.runPending();
    EXPECT_EQ(counted(), 0);

    taps.pressKey();
    sim.loop.runPending();
    EXPECT_EQ(counted(), 0);
}

// At the end of the program the main loop takes no more turns: presses still in the tap and
// presses read but not yet handed over are counted at once, and once only. Counted quietly, they
// are stored and nothing answers them.
TEST_F(KeyboardCounterTest, countingPendingPresses_takesInTheTapAndTheQueueAtOnce) {
    struct Case {
        std::string what;
        int held;          // still in the tap
        int queued;        // read, waiting for a turn of the main loop
        bool switchedOff;  // key counting off just before
        bool quietly;
        int64_t counted;
    };
    const std::vector<Case> cases = {
        {"nothing pending", 0, 0, false, false, 0},
        {"presses still in the tap", 4, 0, false, false, 4},
        {"presses read, not handed over", 0, 3, false, false, 3},
        {"both", 2, 5, false, false, 7},
        {"key counting switched off meanwhile", 2, 3, true, false, 0},
        {"both, quietly", 2, 5, false, true, 7},
        {"key counting switched off meanwhile, quietly", 2, 3, true, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim.loop.advance(1.0);  // past the last reaction
        model->ledger = KeystrokeLedger{};
        model->persistLedger();
        startListening();
        for (int i = 0; i < c.queued; ++i) taps.pressKey();
        taps.holdPresses = true;
        for (int i = 0; i < c.held; ++i) taps.pressKey();
        taps.pressKey(true);  // a repeat, held like the others
        if (c.switchedOff) model->keyCountingEnabled = false;
        const auto reaction = model->keyboardReaction.get();
        counter->countPendingPresses(c.quietly);
        EXPECT_EQ(counted(), c.counted);
        EXPECT_EQ(model->keyboardReaction.get() != reaction, c.counted > 0 && !c.quietly);
        if (c.quietly) {
            EXPECT_EQ(storedJson(keys::keystrokeLedger)->at("allTimeCount"), c.counted);
        }
        taps.holdPresses = false;
        sim.loop.runPending();
        EXPECT_EQ(counted(), c.counted) << "the queued turn comes later and counts nothing twice";
    }
}

TEST_F(KeyboardCounterTest, withoutAccess_pollsEveryTwoSecondsUntilGranted) {
    model->keyCountingEnabled = true;
    counter->refresh();
    EXPECT_EQ(state(), KeyboardMonitorState::permissionRequired);
    EXPECT_FALSE(model->keyboardPermissionGranted.get());
    EXPECT_EQ(taps.createdCount, 0);
    EXPECT_EQ(sim.loop.activeTimerCount(), 1u);

    // Still missing: the poll goes on with one timer, never piling up.
    sim.loop.advance(10.0);
    EXPECT_EQ(state(), KeyboardMonitorState::permissionRequired);
    EXPECT_EQ(sim.loop.activeTimerCount(), 1u);
    const int preflightsBefore = taps.preflightCount;
    sim.loop.advance(2.0);
    EXPECT_GT(taps.preflightCount, preflightsBefore);

    // Granted without any activation: found by the next tick.
    taps.accessGranted = true;
    sim.loop.advance(1.9);
    EXPECT_EQ(state(), KeyboardMonitorState::permissionRequired);
    sim.loop.advance(0.2);
    EXPECT_EQ(state(), KeyboardMonitorState::listening);
    EXPECT_TRUE(model->keyboardPermissionGranted.get());
    EXPECT_EQ(taps.liveTapCount(), 1u);
    EXPECT_EQ(sim.loop.activeTimerCount(), 0u) << "the poll ends once the tap is up";
}

TEST_F(KeyboardCounterTest, pollingEndsWhenKeyCountingIsSwitchedOff) {
    model->keyCountingEnabled = true;
    counter->refresh();
    model->keyCountingEnabled = false;
    sim.loop.advance(2.1);
    EXPECT_EQ(state(), KeyboardMonitorState::disabled);
    EXPECT_EQ(sim.loop.activeTimerCount(), 0u);
}

TEST_F(KeyboardCounterTest, accessRevokedWhileListening_nextRefreshStopsTheTapAndPolls) {
    startListening();
    taps.accessGranted = false;
    counter->refresh();
    EXPECT_EQ(state(), KeyboardMonitorState::permissionRequired);
    EXPECT_FALSE(model->keyboardPermissionGranted.get());
    EXPECT_EQ(taps.liveTapCount(), 0u);
    EXPECT_EQ(sim.loop.activeTimerCount(), 1u);
}

TEST_F(KeyboardCounterTest, tapDisabledBySystem_isReenabledOnTheNextTurn) {
    startListening();
    taps.disableBySystem(KeyTapEventType::tapDisabledByUserInput);
    EXPECT_FALSE(taps.currentTap()->isEnabled());
    sim.loop.runPending();
    EXPECT_TRUE(taps.currentTap()->isEnabled());
    EXPECT_EQ(state(), KeyboardMonitorState::listening);
    EXPECT_EQ(taps.createdCount, 1);

    taps.pressKey();
    sim.loop.runPending();
    EXPECT_EQ(counted(), 1);
}

TEST_F(KeyboardCounterTest, tapThatStaysDisabled_reportsFailedUntilARefreshBringsItBack) {
    startListening();
    taps.enablingFails = true;
    taps.disableBySystem(KeyTapEventType::tapDisabledByTimeout);
    sim.loop.runPending();
    EXPECT_EQ(state(), KeyboardMonitorState::failed);
    EXPECT_TRUE(model->keyboardPermissionGranted.get()) << "the access is still there";

    taps.enablingFails = false;
    counter->refresh();
    EXPECT_EQ(state(), KeyboardMonitorState::listening);
    EXPECT_EQ(taps.createdCount, 1);
}

TEST_F(KeyboardCounterTest, lostPort_reportsFailedAndTheNextRefreshMakesANewTap) {
    startListening();
    taps.disableBySystem(KeyTapEventType::tapDisabledByTimeout, true);
    sim.loop.runPending();
    EXPECT_EQ(state(), KeyboardMonitorState::failed);

    counter->refresh();
    EXPECT_EQ(state(), KeyboardMonitorState::listening);
    EXPECT_EQ(taps.createdCount, 2);
    EXPECT_EQ(taps.liveTapCount(), 1u) << "the dead tap is dropped";
}

TEST_F(KeyboardCounterTest, disabledBySystemThenSwitchedOff_staysDisabled) {
    startListening();
    taps.disableBySystem(KeyTapEventType::tapDisabledByTimeout);
    model->keyCountingEnabled = false;
    counter->refresh();
    sim.loop.runPending();
    EXPECT_EQ(state(), KeyboardMonitorState::disabled);
}

TEST_F(KeyboardCounterTest, failedCreationOrEnabling_reportsFailedAndALaterRefreshRetries) {
    taps.accessGranted = true;
    model->keyCountingEnabled = true;
    taps.failCreation = true;
    counter->refresh();
    EXPECT_EQ(state(), KeyboardMonitorState::failed);
    EXPECT_EQ(sim.loop.activeTimerCount(), 0u) << "a failure is not a missing permission";

    taps.failCreation = false;
    taps.enablingFails = true;
    counter->refresh();
    EXPECT_EQ(state(), KeyboardMonitorState::failed);
    EXPECT_EQ(taps.liveTapCount(), 0u) << "a tap that never came up is not kept";

    taps.enablingFails = false;
    counter->refresh();
    EXPECT_EQ(state(), KeyboardMonitorState::listening);
}

TEST_F(KeyboardCounterTest, releasedCounter_leavesNoTapNoPollAndNoCrash) {
    model->keyCountingEnabled = true;
    counter->refresh();
    counter.reset();
    EXPECT_EQ(sim.loop.activeTimerCount(), 0u);
    taps.accessGranted = true;
    sim.loop.advance(5.0);
    EXPECT_EQ(taps.createdCount, 0);

    counter = KeyboardCounter::create(model.get());
    counter->refresh();
    ASSERT_EQ(taps.liveTapCount(), 1u);
    counter.reset();
    EXPECT_EQ(taps.liveTapCount(), 0u);
}

}  // namespace
