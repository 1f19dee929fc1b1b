#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "model/AppModel.h"

namespace model {
namespace {

constexpr double kWellbeingShowDuration = 4.0;    // s
constexpr double kGentleReminderSpacing = 900.0;  // s between two reminders of any kind
// A stored end further than this from the monotonic one means the wall clock was changed.
constexpr double kFocusEndDrift = 1.0;  // s

}  // namespace

void AppModel::startFocus(int minutes) {
    const platform::Date now = loop_.now();
    const platform::Date end = now.addingTimeInterval(std::max(minutes, 1) * 60.0);
    focusEndsAt = end;
    focusEndsAtMediaTime_ = loop_.mediaTime() + end.timeIntervalSince(now);
    defaults_.set(keys::focusEndsAt, end);
    focusRemaining = end.timeIntervalSince(now);
    isFocusActive = true;
    triggerWellbeing(WellbeingAction::focus);
}

void AppModel::stopFocus() {
    focusEndsAt.reset();
    focusEndsAtMediaTime_.reset();
    defaults_.remove(keys::focusEndsAt);
    focusRemaining = 0.0;
    isFocusActive = false;
}

void AppModel::updateFocusCountdown(platform::Date now) {
    if (!focusEndsAt) {
        stopFocus();
        return;
    }
    // Timed on the monotonic clock: setting the wall clock must not stretch or cut a session.
    if (!focusEndsAtMediaTime_) focusEndsAtMediaTime_ = loop_.mediaTime() + focusEndsAt->timeIntervalSince(now);
    focusRemaining = std::max(*focusEndsAtMediaTime_ - loop_.mediaTime(), 0.0);
    if (focusRemaining.get() > 0) {
        // The stored end follows, so a restart resumes what is really left.
        const platform::Date end = now.addingTimeInterval(focusRemaining.get());
        if (std::abs(end.timeIntervalSince(*focusEndsAt)) > kFocusEndDrift) {
            focusEndsAt = end;
            defaults_.set(keys::focusEndsAt, end);
        }
        return;
    }

    companionRecord.modify([this](CompanionRecord& r) {
        r.completedFocusSessions += 1;
        r.refreshUnlocks(ledger->allTimeCount);
    });
    persistCompanionRecord();
    stopFocus();
    triggerWellbeing(WellbeingAction::focusComplete);
}

std::string AppModel::focusRemainingText() const {
    const double remaining = focusRemaining.get();
    // Clamped well inside int64 so a damaged value cannot overflow the conversion.
    const int64_t s = std::isfinite(remaining) ? static_cast<int64_t>(std::clamp(std::ceil(remaining), 0.0, 1e15)) : 0;
    char text[48];
    std::snprintf(text, sizeof text, "%02" PRId64 ":%02" PRId64, s / 60, s % 60);
    return text;
}

void AppModel::triggerWellbeing(WellbeingAction action) {
    publishWellbeing(action, false);
}

void AppModel::previewWellbeing(WellbeingAction action) {
    publishWellbeing(action, true);
}

void AppModel::publishWellbeing(WellbeingAction action, bool preview) {
    const uint64_t generation = ++wellbeingGeneration_;
    // Set first: subscribers read it while they are told of the action.
    wellbeingIsPreview_ = preview;
    wellbeingAction = action;
    loop_.after(kWellbeingShowDuration, [this, action, generation, alive = std::weak_ptr<char>(alive_)] {
        if (alive.expired() || generation != wellbeingGeneration_) return;
        if (wellbeingAction.get() == action) wellbeingAction = std::nullopt;
    });
}

void AppModel::evaluateGentleReminders(platform::Date now) {
    settleStamp(lastRestActionAt, keys::lastRestActionAt, now);
    settleStamp(lastWaterActionAt, keys::lastWaterActionAt, now);
    settleStamp(lastStretchActionAt, keys::lastStretchActionAt, now);
    settleStamp(lastLookFarActionAt, keys::lastLookFarActionAt, now);
    settleStamp(lastGentleReminderAt, keys::lastGentleReminderAt, now);

    if (!petsVisible.get() || isHiddenForFullScreen.get() || isFocusActive.get()) return;
    if (now.timeIntervalSince(lastGentleReminderAt) < kGentleReminderSpacing) return;

    struct Reminder {
        bool enabled;
        ReminderInterval interval;
        platform::Date& stamp;
        const char* key;
        WellbeingAction action;
    };
    const Reminder reminders[] = {
        {restRemindersEnabled.get(), restReminderInterval.get(), lastRestActionAt, keys::lastRestActionAt,
         WellbeingAction::stretch},
        {waterRemindersEnabled.get(), waterReminderInterval.get(), lastWaterActionAt, keys::lastWaterActionAt,
         WellbeingAction::drink},
        {stretchRemindersEnabled.get(), stretchReminderInterval.get(), lastStretchActionAt, keys::lastStretchActionAt,
         WellbeingAction::standStretch},
        {lookFarRemindersEnabled.get(), lookFarReminderInterval.get(), lastLookFarActionAt, keys::lastLookFarActionAt,
         WellbeingAction::lookFar},
    };
    for (const auto& reminder : reminders) {
        if (!reminder.enabled || now.timeIntervalSince(reminder.stamp) < thresholdSeconds(reminder.interval)) continue;
        setStamp(reminder.stamp, reminder.key, now);
        triggerWellbeing(reminder.action);
        setStamp(lastGentleReminderAt, keys::lastGentleReminderAt, now);
        return;
    }
}

void AppModel::recordCompanion(double seconds) {
    const platform::Date now = loop_.now();
    companionRecord.modify([this, seconds, now](CompanionRecord& r) {
        r.addCompanion(seconds, now);
        r.refreshUnlocks(ledger->allTimeCount);
    });
    // Storing the record would rewrite the whole settings file, history and all, each minute:
    // a journal line takes the time, and a start works the unlocks out again.
    if (!journal_) {
        persistCompanionRecord();
        return;
    }
    companionPending_ = true;
    scheduleJournalWrite();
}

void AppModel::settleStamp(platform::Date& stamp, const char* key, platform::Date now) {
    // Waiting for the clock to catch up could silence the reminders for days.
    if (stamp > now) setStamp(stamp, key, now);
}

void AppModel::setStamp(platform::Date& stamp, const char* key, platform::Date value) {
    stamp = value;
    defaults_.set(key, value);
}

}  // namespace model
