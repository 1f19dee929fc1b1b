// The key-count journal and the settings file together, through kills, failed saves and
// failed truncations: a restart always finds the newest counts and companion time.
#include <functional>
#include <limits>
#include <optional>
#include <set>

#include "model/AppModelTestSupport.h"
#include "model/CompanionTracker.h"
#include "model/RuntimeHealth.h"
#include "model/TimeZoneTestSupport.h"

using namespace model;
using platform::PlistValue;

namespace {

// The settings file as the model sees it: what was set, and what reached the disk. A full
// disk fails every save; the store tries a failed save again on its own (retry()).
class DiskDefaults final : public platform::Defaults {
public:
    explicit DiskDefaults(PlistValue::Dictionary disk = {}) : values_(disk), disk_(std::move(disk)) {}

    std::optional<PlistValue> object(const std::string& key) const override {
        const auto it = values_.find(key);
        return it == values_.end() ? std::nullopt : std::optional<PlistValue>(it->second);
    }
    void set(const std::string& key, PlistValue value) override {
        if (object(key) == value) return;
        values_.insert_or_assign(key, std::move(value));
        unsaved_.insert(key);
        written.push_back(key);
    }
    void remove(const std::string& key) override {
        values_.erase(key);
        unsaved_.insert(key);
    }
    bool flush() override { return retry(); }
    bool retry() {
        if (full) return false;
        disk_ = values_;
        unsaved_.clear();
        return true;
    }

    const PlistValue::Dictionary& disk() const { return disk_; }
    std::vector<std::string> unsavedKeys() const { return {unsaved_.begin(), unsaved_.end()}; }

    bool full = false;
    std::vector<std::string> written;  // keys set, in order

private:
    PlistValue::Dictionary values_;
    PlistValue::Dictionary disk_;
    std::set<std::string> unsaved_;
};

struct KeyCountJournal : model::testing::AppModelTest {
    model::testing::TimeZoneOverride zone{model::testing::kUtc};
    platform::MemoryJournal journal;
    std::unique_ptr<DiskDefaults> settings = std::make_unique<DiskDefaults>();
    std::unique_ptr<AppModel> model = std::make_unique<AppModel>(*settings, sim.loop, &journal);

    // Presses, then the second in which they reach the journal.
    void type(int presses) {
        for (int i = 0; i < presses; ++i) model->recordKeystroke(now());
        sim.loop.advance(1.0);
    }
    // A full disk: neither the settings file nor the journal can be written.
    void fillDisk(bool full) {
        settings->full = full;
        journal.failing = full;
    }
    // An orderly quit: the model's pending writes, then the store's.
    void quit() {
        model->flushPendingWrites();
        settings->flush();
    }
    // kill -9: nothing more is written; the next start reads what is on disk.
    void killAndRestart() { start(settings->disk()); }
    void start(PlistValue::Dictionary disk, bool full = false) {
        model.reset();
        settings = std::make_unique<DiskDefaults>(std::move(disk));
        settings->full = full;
        model = std::make_unique<AppModel>(*settings, sim.loop, &journal);
    }
    static PlistValue storedLedger(const KeystrokeLedger& ledger) { return *coding::encode(ledger.toJson()); }
    std::string today() const { return platform::calendar::dayKey(now()); }
    int64_t total() const { return model->ledger->allTimeCount; }
};

TEST_F(KeyCountJournal, noOrderOfKillFailedSaveOrFailedTruncationBringsOlderCountsBack) {
    struct Case {
        std::string what;
        std::function<void(KeyCountJournal&)> steps;
        int64_t total;
        int64_t today;
    };
    // 10,000 presses stored, 10 more in the journal, which the next run cannot read: it types 20.
    const auto unreadRun = [](KeyCountJournal& t) {
        t.model->ledger = KeystrokeLedger{{}, 10000};
        t.model->persistLedger();
        t.type(10);
        t.journal.unreadable = true;
        t.killAndRestart();
        t.type(20);
    };
    // A settings file and a journal as a version that kept no generations left them.
    const auto oldFormat = [](KeyCountJournal& t, const std::string& record) {
        t.journal.append({record});
        t.start({{keys::keystrokeLedger, storedLedger({{{"2026-01-01", 10000}}, 10000})}});
    };
    const std::vector<Case> cases = {
        {"a journal of an older state beside a newer settings file",
         [](KeyCountJournal& t) {
             t.type(10);
             t.journal.failing = true;  // the truncation after the next save fails
             t.model->ledger = KeystrokeLedger{{}, 10000};
             t.model->persistLedger();
             t.journal.failing = false;
         },
         10000, 0},
        {"killed in the quit's fold, after the save and before the truncation",
         [](KeyCountJournal& t) {
             t.type(30);
             for (int i = 0; i < 20; ++i) t.model->recordKeystroke(t.now());
             t.journal.failing = true;
             t.model->flushPendingWrites();
             t.journal.failing = false;
         },
         50, 50},
        {"a full disk freed, the save retried, killed before the next press",
         [](KeyCountJournal& t) {
             t.type(10);
             t.fillDisk(true);
             t.type(50);
             t.fillDisk(false);
             t.settings->retry();
         },
         60, 60},
        {"a full settings disk while the journal takes the presses",
         [](KeyCountJournal& t) {
             t.settings->full = true;
             t.type(40);
             t.quit();
         },
         40, 40},
        {"a failed save retried later, more typing, killed",
         [](KeyCountJournal& t) {
             t.type(5);
             t.settings->full = true;
             t.quit();
             t.type(20);
             t.settings->full = false;
             t.settings->retry();
             t.type(15);
         },
         40, 40},
        {"a reset, killed at once",
         [](KeyCountJournal& t) {
             t.type(25);
             t.model->resetToday();
         },
         0, 0},
        {"a settings file whose generation no fold could reach, a fold, more typing, killed",
         [](KeyCountJournal& t) {
             t.start({{keys::journalGeneration, std::numeric_limits<int64_t>::max()}});
             t.type(20);
             t.model->persistLedger();
             t.type(20);
         },
         40, 40},
        {"a journal unreadable for one run that types, readable again",
         [&](KeyCountJournal& t) {
             unreadRun(t);
             t.journal.unreadable = false;
         },
         10030, 30},
        {"a journal unreadable for one run, readable again on a full disk, more typing, killed",
         [&](KeyCountJournal& t) {
             unreadRun(t);
             t.journal.unreadable = false;
             t.start(t.settings->disk(), true);
             t.type(5);
         },
         10035, 35},
        {"a journal unreadable for two runs, one quitting in order, one clearing today",
         [&](KeyCountJournal& t) {
             unreadRun(t);
             t.quit();
             t.killAndRestart();
             t.type(5);
             t.model->resetToday();
             t.type(3);
             t.journal.unreadable = false;
         },
         10003, 3},
        {"a journal of the old format behind a newer settings file of the old format",
         [&](KeyCountJournal& t) { oldFormat(t, "2026-01-01 10 10"); }, 10000, 0},
        {"a journal of the old format ahead of a settings file of the old format",
         [&](KeyCountJournal& t) { oldFormat(t, t.today() + " 5 10005"); }, 10005, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        journal.clear();
        journal.unreadable = false;
        settings->full = false;
        settings = std::make_unique<DiskDefaults>();
        model = std::make_unique<AppModel>(*settings, sim.loop, &journal);
        c.steps(*this);
        killAndRestart();
        EXPECT_EQ(total(), c.total);
        EXPECT_EQ(model->todayKeyCount(), c.today);
        killAndRestart();
        EXPECT_EQ(total(), c.total) << "a second start finds the same";
    }
}

TEST_F(KeyCountJournal, companionTimeReachesTheJournalEachMinuteAndTheSettingsFileOnlyAtAFold) {
    auto tracker = CompanionTracker::create(*model);
    tracker->start();
    settings->written.clear();
    sim.loop.advance(3 * 60);
    EXPECT_DOUBLE_EQ(model->companionRecord->totalCompanionSeconds, 180);
    EXPECT_EQ(std::count(settings->written.begin(), settings->written.end(), keys::companionRecord), 0)
        << "the settings file, history and all, is not rewritten each minute";

    model->startFocus(1);
    sim.loop.advance(61);
    ASSERT_EQ(model->companionRecord->completedFocusSessions, 1);
    tracker.reset();
    killAndRestart();
    EXPECT_DOUBLE_EQ(model->companionRecord->totalCompanionSeconds, 240);
    EXPECT_DOUBLE_EQ(model->companionRecord->dailyCompanionSeconds.at(platform::calendar::dayKey(now())), 240);
    EXPECT_EQ(model->companionRecord->completedFocusSessions, 1);
}

TEST_F(KeyCountJournal, aQuitOnAFullDiskSaysWhatTheJournalKeptAndWhatIsLost) {
    struct Case {
        std::string what;
        std::optional<bool> journalFails;  // none: it cannot be read either
        std::string note;
        int64_t totalAfterRestart;
    };
    const std::vector<Case> cases = {
        {"the journal takes the counts", false,
         "the key counts and companion time are kept for the next start; these changes are lost: Show Tuftle", 7},
        {"the journal fails too", true, "these changes are lost: Key counts, Show Tuftle", 0},
        // Nothing is kept in a journal that could not be read at the start.
        {"the journal unreadable", std::nullopt, "these changes are lost: Key counts, Show Tuftle", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        journal.clear();
        journal.unreadable = !c.journalFails;
        settings = std::make_unique<DiskDefaults>();
        model = std::make_unique<AppModel>(*settings, sim.loop, &journal);
        settings->flush();
        settings->full = true;
        journal.failing = c.journalFails.value_or(false);
        type(7);
        model->petsVisible = false;
        quit();
        const std::string note = model->failedSaveNote(settings->unsavedKeys());
        journal.failing = false;
        journal.unreadable = false;
        killAndRestart();
        EXPECT_EQ(total(), c.totalAfterRestart);
        EXPECT_TRUE(model->petsVisible.get()) << "lost, as said";
        EXPECT_EQ(note, c.note);
    }
}

// The line of a failed last save and the next start agree on whether this quit was orderly.
TEST_F(KeyCountJournal, aQuitOnAFullDiskSaysWhetherTheNextStartReportsItAsUnexpected) {
    const std::string reported = "; the next start will report this quit as unexpected";
    for (const bool full : {false, true}) {
        SCOPED_TRACE(full ? "full disk" : "room on the disk");
        start({});
        RuntimeHealth(*settings).evaluateAtLaunch();
        settings->full = full;
        RuntimeHealth(*settings).markCleanExit();
        quit();
        const std::string note = model->failedSaveNote(settings->unsavedKeys());
        killAndRestart();
        RuntimeHealth next(*settings);
        next.evaluateAtLaunch();
        EXPECT_EQ(next.recoveredFromUnexpectedExit(), full);
        EXPECT_EQ(note.ends_with(reported), next.recoveredFromUnexpectedExit()) << note;
    }
}

}  // namespace
