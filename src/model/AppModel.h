#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/CompanionModels.h"
#include "model/KeyboardReactionEvent.h"
#include "model/KeystrokeLedger.h"
#include "model/L10n.h"
#include "platform/storage/AppendJournal.h"
#include "model/PetModels.h"
#include "model/UnjournaledCounts.h"
#include "model/WellbeingModels.h"
#include "platform/Date.h"
#include "platform/Defaults.h"
#include "platform/MainLoop.h"
#include "platform/Published.h"
#include "platform/Signal.h"
#include "model/UpdateTypes.h"

namespace model {

// The user-defaults keys of the model. Each setting is stored under its property's name,
// except the two noted; the table of stored settings (StoredSettings.cpp) says how.
namespace keys {
inline constexpr const char* appLanguageChoice = "appLanguageChoice";  // appLanguage
inline constexpr const char* petsVisible = "petsVisible";
inline constexpr const char* activityLevel = "activityLevel";
inline constexpr const char* activityTunings = "activityTunings";
inline constexpr const char* homePreferences = "homePreferences";
inline constexpr const char* dragStayDuration = "dragStayDuration";
inline constexpr const char* keyCountingEnabled = "keyCountingEnabled";
inline constexpr const char* petCount = "petCount";
inline constexpr const char* hideInFullScreen = "hideInFullScreen";
inline constexpr const char* windowWalkingEnabled = "windowWalkingEnabled";
inline constexpr const char* petNames = "petNames";
inline constexpr const char* petNameCustomizations = "petNameCustomizations";
inline constexpr const char* petAccessories = "petAccessories";
inline constexpr const char* restRemindersEnabled = "restRemindersEnabled";
inline constexpr const char* waterRemindersEnabled = "waterRemindersEnabled";
inline constexpr const char* stretchRemindersEnabled = "stretchRemindersEnabled";
inline constexpr const char* lookFarRemindersEnabled = "lookFarRemindersEnabled";
inline constexpr const char* restReminderInterval = "restReminderInterval";
inline constexpr const char* waterReminderInterval = "waterReminderInterval";
inline constexpr const char* stretchReminderInterval = "stretchReminderInterval";
inline constexpr const char* lookFarReminderInterval = "lookFarReminderInterval";
inline constexpr const char* reminderGesturesEnabled = "reminderGesturesEnabled";
inline constexpr const char* onboardingCompleted = "onboardingCompleted";
inline constexpr const char* automaticUpdateChecks = "automaticUpdateChecks";
inline constexpr const char* keyboardReactions = "keyboardReactions";
inline constexpr const char* keyboardMilestoneMigrated = "keyboardMilestoneV490Migrated";
inline constexpr const char* companionRecord = "companionRecord";
inline constexpr const char* keystrokeLedger = "keystrokeLedger";  // ledger
inline constexpr const char* focusEndsAt = "focusEndsAt";
inline constexpr const char* lastRestActionAt = "lastRestActionAt";
inline constexpr const char* lastWaterActionAt = "lastWaterActionAt";
inline constexpr const char* lastStretchActionAt = "lastStretchActionAt";
inline constexpr const char* lastLookFarActionAt = "lastLookFarActionAt";
inline constexpr const char* lastGentleReminderAt = "lastGentleReminderAt";
// No setting: which records of the key-count journal the settings file already holds.
inline constexpr const char* journalGeneration = "journalGeneration";
// No setting: what was counted while the journal could not be read (UnjournaledCounts).
inline constexpr const char* unjournaledCounts = "unjournaledCounts";
// No setting: what a start could not do to the autostart entry, said on standard error then and
// not again while the same holds.
inline constexpr const char* autostartEntryProblemSaid = "autostartEntryProblemSaid";
}  // namespace keys

// The one application model: every setting, the live state the interface shows, and the
// records. Loads and repairs everything from the defaults store when created; each setting
// is written back as soon as it changes (subscribers first see the stored new value, then
// the store is written). Main thread only.
class AppModel {
public:
    // With a journal, key counts and companion time reach it within a moment and the settings file
    // every few minutes (less often the longer the history) and on persistLedger(); what it
    // holds beyond the settings file is replayed here.
    AppModel(platform::Defaults& defaults, platform::MainLoop& loop, platform::AppendJournal* journal = nullptr);
    AppModel(const AppModel&) = delete;
    AppModel& operator=(const AppModel&) = delete;

    // Created on first use over the installed defaults store and main loop.
    static AppModel& shared();

    platform::Defaults& defaults() const { return defaults_; }
    platform::MainLoop& mainLoop() const { return loop_; }

    // Fires before every change of a published property, for views that redraw as a whole.
    platform::Signal<> objectWillChange;

    // Settings. Keys, fallbacks, clamps and migrations are in the table of stored settings
    // (StoredSettings.cpp); each but the language writes itself under its key after a change.
    platform::Published<AppLanguageChoice> appLanguage;  // written by setAppLanguage()
    platform::Published<bool> petsVisible;
    platform::Published<PetActivityLevel> activityLevel;
    platform::Published<std::vector<PetActivityTuning>> activityTunings;  // three entries
    platform::Published<std::vector<PetHomePreference>> homePreferences;  // two entries
    platform::Published<DragStayDuration> dragStayDuration;
    platform::Published<bool> keyCountingEnabled;
    platform::Published<int> petCount;  // any value is clamped into 1...2
    platform::Published<bool> hideInFullScreen;
    platform::Published<bool> windowWalkingEnabled;
    platform::Published<std::vector<std::string>> petNames;  // two entries
    // True where the user named that pet; a false entry follows the interface language.
    std::array<bool, 2> petNameCustomizations{false, false};
    platform::Published<std::vector<PetAccessory>> petAccessories;  // two entries
    platform::Published<bool> restRemindersEnabled;
    platform::Published<bool> waterRemindersEnabled;
    platform::Published<bool> stretchRemindersEnabled;
    platform::Published<bool> lookFarRemindersEnabled;
    platform::Published<ReminderInterval> restReminderInterval;
    platform::Published<ReminderInterval> waterReminderInterval;
    platform::Published<ReminderInterval> stretchReminderInterval;
    platform::Published<ReminderInterval> lookFarReminderInterval;
    platform::Published<bool> reminderGesturesEnabled;
    platform::Published<bool> onboardingCompleted;
    platform::Published<bool> automaticUpdateChecks;
    // Stored sorted by raw value; emptying it restores the default reactions.
    platform::Published<KeyboardReactionSet> keyboardReactions;
    platform::Published<CompanionRecord> companionRecord;  // saved by persistCompanionRecord()

    // Live state, never stored.
    platform::Published<bool> isFocusActive{false};
    platform::Published<double> focusRemaining{0};  // s
    platform::Published<std::optional<WellbeingAction>> wellbeingAction;
    platform::Published<bool> launchAtLoginEnabled{false};
    platform::Published<std::string> launchAtLoginMessage;
    platform::Published<std::optional<updates::UpdateCheckResult>> updateCheckResult;
    platform::Published<updates::UpdateDownloadState> updateDownloadState;
    platform::Published<bool> recoveredFromUnexpectedExit{false};
    platform::Published<KeystrokeLedger> ledger;  // saved by persistLedger()
    platform::Published<bool> keyboardPermissionGranted{false};
    platform::Published<KeyboardMonitorState> keyboardMonitorState{KeyboardMonitorState::disabled};
    platform::Published<std::optional<platform::Date>> lastKeyAt;
    platform::Published<double> typingIntensity{0};
    platform::Published<std::optional<KeyboardReactionEvent>> keyboardReaction;
    platform::Published<std::optional<int64_t>> keyboardMilestone;
    platform::Published<bool> isHiddenForFullScreen{false};
    // How many of the pets asked for are away from their homes now: carried, left where they
    // were dropped, or out on a walk or a scene. Written by the pet coordinator; hidden pets
    // rest at home.
    platform::Published<int> petsAwayFromHome{0};

    // Plain state. The focus end and the reminder stamps are stored under their own names
    // by the operations that change them.
    std::optional<platform::Date> focusEndsAt;
    platform::Date lastRestActionAt;
    platform::Date lastWaterActionAt;
    platform::Date lastStretchActionAt;
    platform::Date lastLookFarActionAt;
    platform::Date lastGentleReminderAt;
    std::optional<platform::Date> lastKeyboardReactionAt;
    std::optional<KeyboardReactionStyle> lastKeyboardReactionStyle;
    int64_t keyboardReactionSequence = 0;

    // Key presses (AppModelKeystrokes.cpp).
    // Counts one press at `at`: the typing intensity, the day and the total, a reaction at
    // most every 0.085 s, the key achievements and the milestone of every hundredth press
    // of the day. The ledger reaches the disk within a second (see flushPendingWrites()).
    void recordKeystroke(platform::Date at);
    // Today's presses in the local calendar, 0 when there are none.
    int64_t todayKeyCount() const;
    // Clears today's presses and takes them off the total; stored at once.
    void resetToday();
    // The same for the day of `dayKey` ("yyyy-MM-dd"): a confirmation asked before midnight
    // and answered after it clears the day it asked about.
    void resetDay(const std::string& dayKey);
    // Also refreshes keyboardPermissionGranted: true while listening, else the system's answer.
    void setKeyboardMonitorState(KeyboardMonitorState state);
    // Turns one reaction style on or off; the last enabled style stays on.
    void setKeyboardReaction(KeyboardReactionStyle style, bool enabled);
    // Writes at once what key presses left for the coalesced write. The terminate path calls
    // it before the store is flushed, so an orderly quit loses no press.
    void flushPendingWrites();

    // Save the records as JSON; when encoding fails the previous data stays.
    void persistCompanionRecord();
    void persistLedger();
    // For the line that reports a save that failed at quit (`unsavedKeys`: the keys the
    // settings file misses): what the journal keeps for the next start, and what is lost.
    std::string failedSaveNote(const std::vector<std::string>& unsavedKeys) const;

    // Export (DataExport.cpp): the pretty-printed JSON document of everything kept about the
    // user, dated now. Throws DataExportError when a value cannot be written as JSON.
    std::string exportData() const;

private:
    void load();
    void wireObservation();
    template <typename T>
    void observe(platform::Published<T>& property);
    void writeJson(const char* key, const Json& value);
    // Marks the ledger for the coalesced write and schedules it unless one is scheduled.
    void scheduleLedgerWrite();
    void scheduleJournalWrite();
    void writePendingLedger();
    // Journal (AppModelKeystrokes.cpp).
    void replayJournal();
    // After the records went to the defaults: stores a new generation and empties the journal
    // once the settings file holds them.
    void foldJournal();
    // Appends the days that changed since the last append and the companion time when it
    // changed; false when that failed.
    bool appendPendingRecords();
    void scheduleJournalSync();
    void syncJournal();
    void foldIfJournaled();
    // Runs step once after delay, however often it is asked for until then.
    void scheduleOnce(bool& scheduled, double delay, void (AppModel::*step)());
    // True when the journal holds every count and all companion time.
    bool countsKeptInJournal() const;
    // The companion record as stored: while the journal cannot be read, with the time and
    // sessions its records build on.
    CompanionRecord storedCompanionRecord() const;

    platform::Defaults& defaults_;
    platform::MainLoop& loop_;

    // Encoding years of history on every key press would cost far more than counting it.
    bool ledgerWritePending_ = false;
    bool ledgerWriteScheduled_ = false;
    platform::AppendJournal* journal_ = nullptr;
    // What the settings file and the journal hold together.
    KeystrokeLedger journaled_;
    bool journalHasRecords_ = false;
    bool companionPending_ = false;  // companion time the journal does not hold yet
    bool journalSyncScheduled_ = false;
    bool foldScheduled_ = false;
    int64_t journalGeneration_ = 0;
    // Set for a run that could not read the journal: the stored counts its records build on,
    // kept as they are until the records can be read, and the days cleared since.
    struct UnreadJournal {
        KeystrokeLedger ledger;
        CompanionRecord companion;
        std::set<std::string> clearedDays;
    };
    std::optional<UnreadJournal> unreadJournal_;
    // A scheduled write cannot be cancelled: it holds this weakly and does nothing once the
    // model is gone.
    std::shared_ptr<char> alive_ = std::make_shared<char>();

    // Focus, reminders and model operations
public:
    // Focus and wellbeing (AppModelFocus.cpp).
    // Starts, or restarts, a session of max(minutes, 1) minutes and shows `focus`.
    void startFocus(int minutes);
    // Ends the session without counting it.
    void stopFocus();
    // Refreshes focusRemaining; at 0 the session counts as completed, once.
    void updateFocusCountdown(platform::Date now);
    // "mm:ss" of the remaining time, rounded up to whole seconds.
    std::string focusRemainingText() const;
    // Shows `action` for 4 s; a newer action, or a newer trigger of the same one, is never
    // cleared by an older timer.
    void triggerWellbeing(WellbeingAction action);
    // Shows `action` as triggerWellbeing does, marked as a preview the user asked for: the
    // pets show its sign even during a focus session, where a due reminder waits.
    void previewWellbeing(WellbeingAction action);
    // Whether the action last published in wellbeingAction came from previewWellbeing.
    bool isWellbeingPreview() const { return wellbeingIsPreview_; }
    // Raises at most one due reminder, in the order rest, water, stretch, look far, and none
    // within 900 s of the last. Quiet while the pets are hidden or a session runs.
    void evaluateGentleReminders(platform::Date now);
    // Adds companion time to today and refreshes the achievements.
    void recordCompanion(double seconds);

    // Names, accessories, homes, tunings, language and reset (AppModelOperations.cpp).
    // Pet indexes are 0 and 1; the getters answer the default for any other index and the
    // setters ignore it.
    std::string name(int index) const;
    // Trimmed and cut to 12 user-perceived characters; an empty name restores the default.
    void setName(const std::string& name, int index);
    void resetPetNames();
    PetAccessory accessory(int index) const;
    void setAccessory(PetAccessory accessory, int index);
    PetHomePreference homePreference(int index) const;
    void setHomePreference(PetHomePreference preference, int index);
    PetActivityTuning tuning(PetActivityLevel level) const;
    // Stores the tuning with each factor held to 0.5...1.6.
    void setTuning(const PetActivityTuning& tuning, PetActivityLevel level);
    // The timing of autonomous behaviour for the current level and its tuning.
    PetAnimationCadence cadenceProfile() const;
    // Switches the interface language, re-localises the default names and posts
    // L10n::tuftleLanguageDidChange; nothing happens when the language stays the same.
    void setAppLanguage(AppLanguageChoice choice);
    // Puts the settings and records back to their first-launch values. Onboarding, update
    // checks, launch at login, the last key time and milestone stay.
    void resetAllLocalData();

private:
    void storePetNameCustomizations();
    // A stamp of a past event that lies ahead of `now` (the clock was set back) becomes `now`.
    void settleStamp(platform::Date& stamp, const char* key, platform::Date now);
    void setStamp(platform::Date& stamp, const char* key, platform::Date value);
    void publishWellbeing(WellbeingAction action, bool preview);

    // The running session's end on the monotonic clock; focusEndsAt is its stored Date.
    std::optional<double> focusEndsAtMediaTime_;
    // Counts triggers of wellbeing actions: a clearing timer acts only for the latest.
    uint64_t wellbeingGeneration_ = 0;
    bool wellbeingIsPreview_ = false;
};

}  // namespace model
