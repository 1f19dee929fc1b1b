#include "model/AppModel.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "model/StoredSettings.h"
#include "platform/Services.h"

namespace model {
namespace {

using platform::Defaults;

template <typename T, typename Decode>
std::optional<T> decodeData(const Defaults& d, const char* key, Decode decode) {
    auto data = d.data(key);
    if (!data) return std::nullopt;
    auto j = coding::decode(*data);
    if (!j) return std::nullopt;
    return decode(*j);
}

}  // namespace

AppModel& AppModel::shared() {
    static AppModel model(platform::defaults(), platform::mainLoop(), platform::services().keyCountJournal);
    return model;
}

AppModel::AppModel(platform::Defaults& defaults, platform::MainLoop& loop, platform::AppendJournal* journal)
    : defaults_(defaults), loop_(loop), journal_(journal) {
    load();
    wireObservation();
}

void AppModel::load() {
    const Defaults& d = defaults_;
    const platform::Date now = loop_.now();

    // Live state keeps the start values given where it is declared.
    for (const auto& setting : storedSettings()) setting.load(*this);

    auto record = decodeData<CompanionRecord>(d, keys::companionRecord, CompanionRecord::fromJson);
    if (!record) {
        // The new record below replaces the stored one at once: keep what was there first.
        keepUnreadable(defaults_, keys::companionRecord);
        record = CompanionRecord::startingAt(now);
    }
    companionRecord.setSilently(*record);

    focusEndsAt = d.date(keys::focusEndsAt);
    if (focusEndsAt) focusEndsAtMediaTime_ = loop_.mediaTime() + std::max(focusEndsAt->timeIntervalSince(now), 0.0);
    isFocusActive.setSilently(focusEndsAt && *focusEndsAt > now);
    focusRemaining.setSilently(focusEndsAt ? std::max(focusEndsAt->timeIntervalSince(now), 0.0) : 0.0);

    // A stamp in the future means the clock was set back: it happened no later than now.
    auto stamp = [&](const char* key) { return std::min(d.date(key).value_or(now), now); };
    lastRestActionAt = stamp(keys::lastRestActionAt);
    lastWaterActionAt = stamp(keys::lastWaterActionAt);
    lastStretchActionAt = stamp(keys::lastStretchActionAt);
    lastLookFarActionAt = stamp(keys::lastLookFarActionAt);
    lastGentleReminderAt = stamp(keys::lastGentleReminderAt);

    auto storedLedger = decodeData<KeystrokeLedger>(d, keys::keystrokeLedger, KeystrokeLedger::fromJson);
    if (!storedLedger) keepUnreadable(defaults_, keys::keystrokeLedger);
    ledger.setSilently(storedLedger.value_or(KeystrokeLedger{}));
    replayJournal();

    CompanionRecord refreshed = companionRecord.get();
    refreshed.refreshUnlocks(ledger->allTimeCount);
    companionRecord.setSilently(std::move(refreshed));
    persistCompanionRecord();
}

template <typename T>
void AppModel::observe(platform::Published<T>& property) {
    property.setWillChange([this] { objectWillChange.emit(); });
}

void AppModel::wireObservation() {
    for (const auto& setting : storedSettings()) setting.wire(*this);
    observe(companionRecord);

    observe(isFocusActive);
    observe(focusRemaining);
    observe(wellbeingAction);
    observe(launchAtLoginEnabled);
    observe(launchAtLoginMessage);
    observe(updateCheckResult);
    observe(updateDownloadState);
    observe(recoveredFromUnexpectedExit);
    observe(ledger);
    observe(keyboardPermissionGranted);
    observe(keyboardMonitorState);
    observe(lastKeyAt);
    observe(typingIntensity);
    observe(keyboardReaction);
    observe(keyboardMilestone);
    observe(isHiddenForFullScreen);
    // petsAwayFromHome changes with every walk: only its own subscribers hear of it. The views
    // that redraw on any change of the model show nothing of it.
}

void AppModel::persistCompanionRecord() {
    writeJson(keys::companionRecord, storedCompanionRecord().toJson());
    // Older companion time in the journal would be replayed over the record just stored.
    if (journal_ && journalHasRecords_) {
        companionPending_ = true;
        if (!appendPendingRecords()) persistLedger();
    }
}

void AppModel::persistLedger() {
    ledgerWritePending_ = false;
    writeJson(keys::keystrokeLedger, (unreadJournal_ ? unreadJournal_->ledger : ledger.get()).toJson());
    if (!journal_) return;
    // The journal holds companion time too: the fold stores both.
    writeJson(keys::companionRecord, storedCompanionRecord().toJson());
    foldJournal();
}

void AppModel::writeJson(const char* key, const Json& value) {
    if (auto data = coding::encode(value)) defaults_.set(key, std::move(*data));
}

}  // namespace model
