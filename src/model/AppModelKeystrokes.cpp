#include "model/AppModel.h"

#include <cstdio>
#include <cstring>

#include "model/KeyboardReactions.h"
#include "model/TypingRhythm.h"
#include "platform/Services.h"

namespace model {
namespace {

constexpr double kReactionInterval = 0.085;  // s
// A stored date near today resolves about 0.1 µs, so "0.085 s later" may come out a hair
// short; a press that late still reacts.
constexpr double kReactionIntervalSlack = 1e-6;
// Long enough to write once for a burst of typing; with the store written through right
// after it, a press is on disk within a second, so a kill loses at most the last second.
constexpr double kLedgerWriteDelay = 0.9;  // s
constexpr int64_t kMilestoneStep = 100;
// With a journal, the settings file (that grows with the history) is rewritten this seldom
// while the user types.
constexpr double kFoldDelay = 300;  // s
// Names no day: a record that only sets the total.
constexpr const char* kNoDay = "0000-00-00";

// "<day> <count that day> <all-time count>": counts, not additions, so replaying a record the
// settings file already holds changes nothing. A count of 0 removes the day.
std::string journalRecord(const std::string& day, int64_t count, int64_t total) {
    return day + ' ' + std::to_string(count) + ' ' + std::to_string(total);
}

bool applyJournalRecord(KeystrokeLedger& l, const std::string& record) {
    char day[11] = {};
    long long count = 0, total = 0;
    char extra = 0;
    if (std::sscanf(record.c_str(), "%10s %lld %lld %c", day, &count, &total, &extra) != 3) return false;
    for (int i = 0; i < 10; ++i)
        if ((i == 4 || i == 7) ? day[i] != '-' : (day[i] < '0' || day[i] > '9')) return false;
    if (count < 0 || total < 0) return false;
    if (count == 0)
        l.dailyCounts.erase(day);
    else
        l.dailyCounts[day] = count;
    l.allTimeCount = total;
    return true;
}

// The records that take `from` to `to`, walking both sorted day lists once.
std::vector<std::string> ledgerChanges(const KeystrokeLedger& from, const KeystrokeLedger& to) {
    std::vector<std::string> out;
    const auto& a = from.dailyCounts;
    const auto& b = to.dailyCounts;
    auto i = a.begin();
    auto j = b.begin();
    while (i != a.end() || j != b.end()) {
        if (j == b.end() || (i != a.end() && i->first < j->first)) {
            out.push_back(journalRecord(i->first, 0, to.allTimeCount));
            ++i;
        } else if (i == a.end() || j->first < i->first) {
            out.push_back(journalRecord(j->first, j->second, to.allTimeCount));
            ++j;
        } else {
            if (i->second != j->second) out.push_back(journalRecord(j->first, j->second, to.allTimeCount));
            ++i;
            ++j;
        }
    }
    if (out.empty() && from.allTimeCount != to.allTimeCount) out.push_back(journalRecord(kNoDay, 0, to.allTimeCount));
    return out;
}

}  // namespace

void AppModel::recordKeystroke(platform::Date at) {
    typingIntensity = TypingRhythmEngine::intensity(lastKeyAt.get(), at, typingIntensity.get());

    // Built from the local calendar now, so a press after a time-zone change lands on the
    // day the user sees.
    const std::string day = platform::calendar::dayKey(at);
    const int64_t previousCount = ledger->countDay(day);
    ledger.modifyInPlace([&day](KeystrokeLedger& l) { l.recordDay(day); });
    lastKeyAt = at;

    // A negative gap means the clock was set back: waiting for it to catch up would silence
    // the pets for as long, so it counts as a long gap.
    const double gap = lastKeyboardReactionAt ? at.timeIntervalSince(*lastKeyboardReactionAt) : 0;
    if (!lastKeyboardReactionAt || gap < 0 || gap >= kReactionInterval - kReactionIntervalSlack) {
        const KeyboardReactionStyle style = KeyboardReactionScheduler::nextStyle(
            keyboardReactions.get(), lastKeyboardReactionStyle, keyboardReactionSequence);
        ++keyboardReactionSequence;
        lastKeyboardReactionAt = at;
        lastKeyboardReactionStyle = style;
        keyboardReaction =
            KeyboardReactionEvent{platform::uuids().next(), style, typingIntensity.get(), keyboardReactionSequence - 1};
    }

    scheduleLedgerWrite();

    // The record changes only when a key achievement unlocks; storing it unchanged on every
    // press would encode all its days each time.
    if (companionRecord->hasNewUnlocks(ledger->allTimeCount)) {
        companionRecord.modify([this](CompanionRecord& r) { r.refreshUnlocks(ledger->allTimeCount); });
        persistCompanionRecord();
    }

    if (keyboardReactions->count(KeyboardReactionStyle::showCount)) {
        const auto entry = ledger->dailyCounts.find(day);
        if (entry != ledger->dailyCounts.end()) {
            const int64_t newCount = entry->second;
            if (newCount > previousCount && newCount >= 1 && newCount % kMilestoneStep == 0)
                keyboardMilestone = newCount;
        }
    }
}

int64_t AppModel::todayKeyCount() const {
    return ledger->count(loop_.now());
}

void AppModel::resetToday() {
    resetDay(platform::calendar::dayKey(loop_.now()));
}

void AppModel::resetDay(const std::string& dayKey) {
    ledger.modifyInPlace([&dayKey](KeystrokeLedger& l) { l.removeDay(dayKey); });
    persistLedger();
}

void AppModel::setKeyboardMonitorState(KeyboardMonitorState state) {
    keyboardMonitorState = state;
    keyboardPermissionGranted =
        state == KeyboardMonitorState::listening || platform::keyEventTaps().preflightListenEventAccess();
}

void AppModel::setKeyboardReaction(KeyboardReactionStyle style, bool enabled) {
    KeyboardReactionSet styles = keyboardReactions.get();
    if (enabled) {
        styles.insert(style);
    } else if (styles.size() >= 2) {
        styles.erase(style);
    }
    keyboardReactions = std::move(styles);
}

void AppModel::flushPendingWrites() {
    if (ledgerWritePending_ || journalHasRecords_) persistLedger();
}

void AppModel::scheduleLedgerWrite() {
    ledgerWritePending_ = true;
    if (ledgerWriteScheduled_) return;
    ledgerWriteScheduled_ = true;
    loop_.after(kLedgerWriteDelay, [this, alive = std::weak_ptr<char>(alive_)] {
        if (alive.expired()) return;
        ledgerWriteScheduled_ = false;
        writePendingLedger();
    });
}

void AppModel::writePendingLedger() {
    if (!journal_) {
        flushPendingWrites();
        defaults_.flush();
        return;
    }
    if (!ledgerWritePending_) return;
    ledgerWritePending_ = false;
    if (!appendLedgerChanges()) {
        persistLedger();
        return;
    }
    if (foldScheduled_) return;
    foldScheduled_ = true;
    loop_.after(kFoldDelay, [this, alive = std::weak_ptr<char>(alive_)] {
        if (alive.expired()) return;
        foldScheduled_ = false;
        if (journalHasRecords_) persistLedger();
    });
}

void AppModel::replayJournal() {
    if (!journal_) return;
    KeystrokeLedger replayed = ledger.get();
    const std::vector<std::string> records = journal_->records();
    for (const auto& record : records) applyJournalRecord(replayed, record);
    ledger.setSilently(replayed);
    journaled_ = std::move(replayed);
    journalHasRecords_ = !records.empty();
    if (journalHasRecords_) persistLedger();
}

void AppModel::foldJournal() {
    if (journalHasRecords_ && !(defaults_.flush() && journal_->clear())) {
        // The settings file may be older than the journal: the journal stays ahead of it.
        appendLedgerChanges();
        return;
    }
    journalHasRecords_ = false;
    journaled_ = ledger.get();
}

bool AppModel::appendLedgerChanges() {
    const std::vector<std::string> records = ledgerChanges(journaled_, ledger.get());
    if (records.empty()) return true;
    if (!journal_->append(records)) return false;
    for (const auto& record : records) applyJournalRecord(journaled_, record);
    journalHasRecords_ = true;
    return true;
}

}  // namespace model
