#include "model/AppModel.h"

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
    if (ledgerWritePending_) persistLedger();
}

void AppModel::scheduleLedgerWrite() {
    ledgerWritePending_ = true;
    if (ledgerWriteScheduled_) return;
    ledgerWriteScheduled_ = true;
    loop_.after(kLedgerWriteDelay, [this, alive = std::weak_ptr<char>(alive_)] {
        if (alive.expired()) return;
        ledgerWriteScheduled_ = false;
        flushPendingWrites();
        defaults_.flush();
    });
}

}  // namespace model
