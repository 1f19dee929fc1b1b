#include "model/UnsavedChanges.h"

#include <algorithm>
#include <string_view>

#include "model/AppModel.h"
#include "model/L10n.h"
#include "model/RuntimeHealth.h"

namespace model {
namespace {

// The words of the settings window, or none for bookkeeping the program writes again itself.
struct Words {
    std::string_view key;
    std::string_view words;  // a key of the localisation tables; empty for bookkeeping
};

constexpr std::string_view kReminders = L10n::key("温柔提醒");
constexpr std::string_view kCounts = L10n::key("按键次数");
constexpr std::string_view kCompanion = L10n::key("累计陪伴");
constexpr std::string_view kNames = L10n::key("名字与性格");
constexpr std::string_view kReactions = L10n::key("按键反馈动作");

constexpr Words kWords[] = {
    {keys::appLanguageChoice, L10n::key("界面语言")},
    {keys::petsVisible, L10n::key("显示栗丸")},
    {keys::petCount, L10n::key("宠物数量")},
    {keys::activityLevel, L10n::key("活跃程度")},
    {keys::activityTunings, L10n::key("三种节奏的细节")},
    {keys::homePreferences, L10n::key("家")},
    {keys::dragStayDuration, L10n::key("拖拽后停留")},
    {keys::keyCountingEnabled, L10n::key("统计按键次数")},
    {keys::hideInFullScreen, L10n::key("全屏时藏起来")},
    {keys::windowWalkingEnabled, L10n::key("窗口漫步")},
    {keys::petNames, kNames},
    {keys::petNameCustomizations, kNames},
    {keys::petAccessories, L10n::key("装饰")},
    {keys::restRemindersEnabled, kReminders},
    {keys::waterRemindersEnabled, kReminders},
    {keys::stretchRemindersEnabled, kReminders},
    {keys::lookFarRemindersEnabled, kReminders},
    {keys::restReminderInterval, kReminders},
    {keys::waterReminderInterval, kReminders},
    {keys::stretchReminderInterval, kReminders},
    {keys::lookFarReminderInterval, kReminders},
    {keys::reminderGesturesEnabled, kReminders},
    {keys::onboardingCompleted, L10n::key("欢迎引导已看过")},
    {keys::automaticUpdateChecks, L10n::key("自动检查更新")},
    // Without the mark the next start adds the count sign to the reactions again.
    {keys::keyboardReactions, kReactions},
    {keys::keyboardMilestoneMigrated, kReactions},
    {keys::keystrokeLedger, kCounts},
    {keys::unjournaledCounts, kCounts},
    {keys::companionRecord, kCompanion},
    {keys::focusEndsAt, L10n::key("进行中的专注")},
    {keys::journalGeneration, {}},
    {keys::lastRestActionAt, {}},
    {keys::lastWaterActionAt, {}},
    {keys::lastStretchActionAt, {}},
    {keys::lastLookFarActionAt, {}},
    {keys::lastGentleReminderAt, {}},
    {RuntimeHealth::defaultCleanExitKey, {}},
    {"lastAutomaticUpdateCheck", {}},
    {keys::autostartEntryProblemSaid, {}},
};

std::string_view wordsFor(std::string_view key) {
    for (const auto& entry : kWords)
        if (entry.key == key) return entry.words;
    if (key.starts_with("menuBarMeal")) return L10n::key("栗丸图标收纳区");
    if (key.ends_with(".unreadable")) return {};  // a copy kept aside, not a change
    return L10n::key("其他设置");
}

}  // namespace

std::string unsavedChangesNote(const std::vector<std::string>& unsavedKeys, bool countsKept) {
    std::vector<std::string_view> named;
    for (const auto& key : unsavedKeys) {
        const std::string_view words = wordsFor(key);
        if (words.empty() || (countsKept && (words == kCounts || words == kCompanion))) continue;
        if (std::find(named.begin(), named.end(), words) == named.end()) named.push_back(words);
    }
    std::string list;
    for (const std::string_view words : named) list += (list.empty() ? "" : L10n::t("、")) + L10n::t(words);
    const std::string note = countsKept ? L10n::t("按键次数和陪伴时间已留到下次启动；") : "";
    // Without the mark of this orderly quit on disk, the next start reports an unexpected one.
    const bool markLost =
        std::find(unsavedKeys.begin(), unsavedKeys.end(), RuntimeHealth::defaultCleanExitKey) != unsavedKeys.end();
    return note +
           (named.empty() ? L10n::t("其他改动都没有丢失") : L10n::format(L10n::t("这些改动没有保存：%@"), {list})) +
           (markLost ? L10n::t("；下次启动会把这次退出报告为意外退出") : "");
}

}  // namespace model
