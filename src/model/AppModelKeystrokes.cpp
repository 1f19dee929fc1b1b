#include "model/AppModel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <type_traits>

#include <nlohmann/json.hpp>

#include "model/KeyboardReactions.h"
#include "model/StoredSettings.h"
#include "model/TypingRhythm.h"
#include "model/UnsavedChanges.h"
#include "platform/Services.h"

namespace model {
namespace {

constexpr double kReactionInterval = 0.085;  // s
// A stored date near today resolves about 0.1 µs, so "0.085 s later" may come out a hair
// short; a press that late still reacts.
constexpr double kReactionIntervalSlack = 1e-6;
// Without a journal each write rewrites the settings file: long enough to write once for a
// burst of typing, and a kill loses at most the last second.
constexpr double kLedgerWriteDelay = 0.9;  // s
// An append costs a few dozen bytes, and the kernel keeps it through a kill: soon, so a kill
// loses only the last moment of typing, even on a busy machine where every step comes late.
constexpr double kJournalAppendDelay = 0.2;  // s
// What reached the journal outlives a kill at once; a crash of the whole system loses at most
// this much more. Each sync writes a whole page, so the appends of a burst share one.
constexpr double kJournalSyncDelay = 2.0;  // s
constexpr int64_t kMilestoneStep = 100;
// With a journal, the settings file (that grows with the history) is rewritten this seldom
// while the user types, and for a long history more seldom still.
constexpr double kFoldDelay = 300;             // s
constexpr double kFoldBytesPerSecond = 256.0;  // of stored records, rewritten per second at most
// A day of either record as stored, or a little more.
constexpr double kStoredBytesPerDay = 32.0;
// Names no day: a record that only sets the total.
constexpr const char* kNoDay = "0000-00-00";
// Far beyond any number of folds: a generation above it was not written by one, and counting
// on from it could overflow.
constexpr int64_t kMaxGeneration = int64_t{1} << 53;

// Every record ends with the generation of the settings file it adds to: a fold advances the
// generation in the settings file, so records an older file needed are skipped once a newer
// one holds them, whatever order a kill, a failed truncation or a retried save left.
//
// "<day> <count that day> <all-time count> <generation>": counts, not additions, so replaying a
// record the settings file already holds changes nothing. A count of 0 removes the day.
std::string journalRecord(const std::string& day, int64_t count, int64_t total, int64_t generation) {
    return day + ' ' + std::to_string(count) + ' ' + std::to_string(total) + ' ' + std::to_string(generation);
}

// "companion <day> <seconds that day> <all seconds> <completed focus sessions> <generation>".
constexpr std::string_view kCompanionTag = "companion";

std::string number(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string companionRecordLine(const CompanionRecord& r, const std::string& day, int64_t generation) {
    const auto entry = r.dailyCompanionSeconds.find(day);
    const double daySeconds = entry == r.dailyCompanionSeconds.end() ? 0 : entry->second;
    return std::string(kCompanionTag) + ' ' + day + ' ' + number(daySeconds) + ' ' +
           number(r.totalCompanionSeconds) + ' ' + std::to_string(r.completedFocusSessions) + ' ' +
           std::to_string(generation);
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const size_t space = text.find(' ');
        out.push_back(text.substr(0, space));
        if (space == std::string_view::npos) break;
        text.remove_prefix(space + 1);
    }
    return out;
}

template <typename T>
std::optional<T> parseNumber(std::string_view word) {
    T value{};
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || !(value >= 0)) return std::nullopt;
    if constexpr (std::is_floating_point_v<T>)
        if (!std::isfinite(value)) return std::nullopt;
    return value;
}

bool isDayKey(std::string_view day) {
    if (day.size() != 10) return false;
    for (int i = 0; i < 10; ++i)
        if ((i == 4 || i == 7) ? day[i] != '-' : (day[i] < '0' || day[i] > '9')) return false;
    return true;
}

// The generation a record ends with, when it orders the record: records written before
// generations were kept have none, and one no fold writes (beyond kMaxGeneration, or below 0
// as an overflow left it) orders nothing.
std::optional<int64_t> recordGeneration(int64_t value) {
    return value >= 0 && value <= kMaxGeneration ? std::optional(value) : std::nullopt;
}

std::optional<int64_t> integer(std::string_view word) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() ? std::optional(value) : std::nullopt;
}

// One readable record: a day's key count and the total, or companion time.
struct JournalRecord {
    bool companion = false;
    std::string day;
    int64_t count = 0, total = 0, sessions = 0;
    double daySeconds = 0, totalSeconds = 0;
    std::optional<int64_t> generation;
};

std::optional<JournalRecord> parseJournalRecord(const std::string& record) {
    const auto w = words(record);
    if (w.size() == 6 && w[0] == kCompanionTag) {
        const auto daySeconds = parseNumber<double>(w[2]);
        const auto total = parseNumber<double>(w[3]);
        const auto sessions = parseNumber<int64_t>(w[4]);
        const auto generation = integer(w[5]);
        if (!isDayKey(w[1]) || !daySeconds || !total || !sessions || !generation) return std::nullopt;
        return JournalRecord{true,      std::string(w[1]), 0,      0,
                             *sessions, *daySeconds,       *total, recordGeneration(*generation)};
    }
    if (w.size() != 3 && w.size() != 4) return std::nullopt;
    const auto count = parseNumber<int64_t>(w[1]);
    const auto total = parseNumber<int64_t>(w[2]);
    const auto generation = w.size() == 4 ? integer(w[3]) : std::optional<int64_t>(-1);
    if (!isDayKey(w[0]) || !count || !total || !generation) return std::nullopt;
    return JournalRecord{false, std::string(w[0]), *count, *total, 0, 0, 0, recordGeneration(*generation)};
}

// How a record is replayed: `whole` sets what it holds; `upward` only raises counts and
// times, for a record that cannot be placed before or after the settings file.
enum class Replay { skip, whole, upward };

struct JournalOrder {
    int64_t stored = 0;   // the settings file's generation; 0 when it has none
    bool ordered = true;  // false when it holds one no fold writes
    Replay of(std::optional<int64_t> generation) const {
        if (generation && ordered) return *generation >= stored ? Replay::whole : Replay::skip;
        // Either could be the newer: neither may turn counts back.
        return stored == 0 ? Replay::upward : Replay::skip;
    }
};

template <typename T>
void replayValue(T& value, T recorded, Replay how) {
    if (how == Replay::whole || recorded > value) value = recorded;
}

void applyJournalRecord(KeystrokeLedger& l, CompanionRecord& c, const JournalRecord& r, Replay how) {
    if (r.companion) {
        if (r.daySeconds > 0)
            replayValue(c.dailyCompanionSeconds[r.day], r.daySeconds, how);
        else if (how == Replay::whole)
            c.dailyCompanionSeconds.erase(r.day);
        replayValue(c.totalCompanionSeconds, r.totalSeconds, how);
        replayValue(c.completedFocusSessions, r.sessions, how);
        return;
    }
    if (r.count > 0)
        replayValue(l.dailyCounts[r.day], r.count, how);
    else if (how == Replay::whole)
        l.dailyCounts.erase(r.day);
    replayValue(l.allTimeCount, r.total, how);
}

// Each fold rewrites the whole settings file: the longer the history, the rarer the folds, so
// typing costs the disk the same whatever the history.
double foldDelay(const KeystrokeLedger& ledger, const CompanionRecord& record) {
    const double days = static_cast<double>(ledger.dailyCounts.size() + record.dailyCompanionSeconds.size());
    return std::max(kFoldDelay, days * kStoredBytesPerDay / kFoldBytesPerSecond);
}

// The records that take `from` to `to`, walking both sorted day lists once.
std::vector<std::string> ledgerChanges(const KeystrokeLedger& from, const KeystrokeLedger& to, int64_t generation) {
    std::vector<std::string> out;
    const auto& a = from.dailyCounts;
    const auto& b = to.dailyCounts;
    auto i = a.begin();
    auto j = b.begin();
    while (i != a.end() || j != b.end()) {
        if (j == b.end() || (i != a.end() && i->first < j->first)) {
            out.push_back(journalRecord(i->first, 0, to.allTimeCount, generation));
            ++i;
        } else if (i == a.end() || j->first < i->first) {
            out.push_back(journalRecord(j->first, j->second, to.allTimeCount, generation));
            ++j;
        } else {
            if (i->second != j->second) out.push_back(journalRecord(j->first, j->second, to.allTimeCount, generation));
            ++i;
            ++j;
        }
    }
    if (out.empty() && from.allTimeCount != to.allTimeCount)
        out.push_back(journalRecord(kNoDay, 0, to.allTimeCount, generation));
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
    if (unreadJournal_) unreadJournal_->clearedDays.insert(dayKey);
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
    if (ledgerWritePending_ || journalHasRecords_ || companionPending_) persistLedger();
}

void AppModel::scheduleLedgerWrite() {
    ledgerWritePending_ = true;
    scheduleJournalWrite();
}

void AppModel::scheduleOnce(bool& scheduled, double delay, void (AppModel::*step)()) {
    if (scheduled) return;
    scheduled = true;
    loop_.after(delay, [this, &scheduled, step, alive = std::weak_ptr<char>(alive_)] {
        if (alive.expired()) return;
        scheduled = false;
        (this->*step)();
    });
}

void AppModel::scheduleJournalWrite() {
    const double delay = journal_ ? kJournalAppendDelay : kLedgerWriteDelay;
    scheduleOnce(ledgerWriteScheduled_, delay, &AppModel::writePendingLedger);
}

void AppModel::writePendingLedger() {
    if (!journal_) {
        flushPendingWrites();
        defaults_.flush();
        return;
    }
    if (!ledgerWritePending_ && !companionPending_) return;
    ledgerWritePending_ = false;
    if (!appendPendingRecords()) {
        persistLedger();
        return;
    }
    scheduleOnce(foldScheduled_, foldDelay(ledger.get(), companionRecord.get()), &AppModel::foldIfJournaled);
}

void AppModel::foldIfJournaled() {
    if (journalHasRecords_) persistLedger();
}

void AppModel::replayJournal() {
    if (!journal_) return;
    JournalOrder order;
    if (const auto stored = defaults_.integer(keys::journalGeneration)) {
        order.ordered = *stored >= 0 && *stored <= kMaxGeneration;
        order.stored = order.ordered ? *stored : 0;
    }
    journalGeneration_ = order.stored;
    std::optional<UnjournaledCounts> unjournaled;
    if (const auto data = defaults_.data(keys::unjournaledCounts)) {
        const auto json = coding::decode(*data);
        unjournaled = json ? UnjournaledCounts::fromJson(*json) : std::nullopt;
        if (!unjournaled) keepUnreadable(defaults_, keys::unjournaledCounts);
    }
    KeystrokeLedger replayedLedger = ledger.get();
    CompanionRecord replayedRecord = companionRecord.get();
    // What runs that could not read the journal counted adds to the stored generation: after
    // its records, before those of a fold whose save failed since.
    const auto addUnjournaled = [&] {
        if (unjournaled) unjournaled->addTo(replayedLedger, replayedRecord);
        unjournaled.reset();
    };
    const std::vector<std::string> records = journal_->records();
    if (!journal_->recordsReadable()) {
        unreadJournal_ = UnreadJournal{ledger.get(), companionRecord.get(),
                                       unjournaled ? unjournaled->clearedDays : std::set<std::string>{}};
    } else {
        const bool hadUnjournaled = unjournaled.has_value();
        for (const auto& text : records) {
            const auto record = parseJournalRecord(text);
            const Replay how = record ? order.of(record->generation) : Replay::skip;
            if (how == Replay::skip) continue;
            if (how == Replay::whole && *record->generation > order.stored) addUnjournaled();
            applyJournalRecord(replayedLedger, replayedRecord, *record, how);
            // The next fold moves past every record there is.
            journalGeneration_ = std::max(journalGeneration_, record->generation.value_or(0));
        }
        journalHasRecords_ = !records.empty() || hadUnjournaled;
    }
    addUnjournaled();
    ledger.setSilently(replayedLedger);
    companionRecord.setSilently(std::move(replayedRecord));
    journaled_ = std::move(replayedLedger);
    if (journalHasRecords_) persistLedger();
}

void AppModel::foldJournal() {
    if (unreadJournal_) {
        // The journal's records build on the stored counts: they stay, with the generation,
        // and what this run counted goes beside them.
        const auto& base = *unreadJournal_;
        writeJson(keys::unjournaledCounts, UnjournaledCounts::between(base.ledger, base.companion, ledger.get(),
                                                                      companionRecord.get(), base.clearedDays)
                                               .toJson());
        if (defaults_.flush()) companionPending_ = false;
        return;
    }
    if (defaults_.object(keys::unjournaledCounts)) defaults_.remove(keys::unjournaledCounts);
    defaults_.set(keys::journalGeneration, ++journalGeneration_);
    const bool saved = defaults_.flush();
    if (saved) {
        journaled_ = ledger.get();
        companionPending_ = false;
        // Records left by a failed truncation are of an older generation: the next fold
        // tries again, and until then nothing replays them.
        if (journal_->clear()) journalHasRecords_ = false;
        return;
    }
    // The settings file on disk may stay older than this fold, or the save be retried and
    // succeed later: records of the new generation apply to either.
    companionPending_ = true;
    if (appendPendingRecords()) journal_->sync();
}

bool AppModel::appendPendingRecords() {
    std::vector<std::string> records = ledgerChanges(journaled_, ledger.get(), journalGeneration_);
    if (companionPending_)
        records.push_back(
            companionRecordLine(companionRecord.get(), platform::calendar::dayKey(loop_.now()), journalGeneration_));
    if (records.empty()) return true;
    if (!journal_->append(records)) return false;
    journaled_ = ledger.get();
    companionPending_ = false;
    journalHasRecords_ = true;
    scheduleJournalSync();
    return true;
}

void AppModel::scheduleJournalSync() {
    scheduleOnce(journalSyncScheduled_, kJournalSyncDelay, &AppModel::syncJournal);
}

void AppModel::syncJournal() {
    // The records may not be on disk: the settings file takes everything instead.
    if (!journal_->sync()) persistLedger();
}

bool AppModel::countsKeptInJournal() const {
    return journal_ && !unreadJournal_ && journaled_ == ledger.get() && !companionPending_ && !ledgerWritePending_;
}

CompanionRecord AppModel::storedCompanionRecord() const {
    CompanionRecord stored = companionRecord.get();
    if (unreadJournal_) {
        stored.totalCompanionSeconds = unreadJournal_->companion.totalCompanionSeconds;
        stored.dailyCompanionSeconds = unreadJournal_->companion.dailyCompanionSeconds;
        stored.completedFocusSessions = unreadJournal_->companion.completedFocusSessions;
    }
    return stored;
}

std::string AppModel::failedSaveNote(const std::vector<std::string>& unsavedKeys) const {
    return unsavedChangesNote(unsavedKeys, countsKeptInJournal());
}

}  // namespace model
