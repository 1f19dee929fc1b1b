#include "model/UnsavedChanges.h"

#include <gtest/gtest.h>

#include "model/AppModel.h"
#include "model/L10nTestSupport.h"
#include "model/StoredSettings.h"

namespace model {
namespace {

using Keys = std::vector<std::string>;

TEST(UnsavedChangesNote, namesEachLostChangeOnceInTheWordsOfTheSettings) {
    testing::LanguageChoiceReset reset;
    struct Case {
        Keys keys;
        bool countsKept;
        AppLanguageChoice language;
        std::string note;
    };
    const std::vector<Case> cases = {
        {{"keyboardMilestoneV490Migrated", "keyboardReactions", "petsVisible"},
         false,
         AppLanguageChoice::english,
         "these changes are lost: Key Reactions, Show Tuftle"},
        {{"journalGeneration", "lastRestActionAt", "petNames.unreadable"},
         false,
         AppLanguageChoice::english,
         "no other change is lost"},
        {{"journalGeneration", "runtime.cleanExit"},
         true,
         AppLanguageChoice::english,
         "the key counts and companion time are kept for the next start; no other change is lost; the next start "
         "will report this quit as unexpected"},
        {{"runtime.cleanExit", "petsVisible"},
         false,
         AppLanguageChoice::simplifiedChinese,
         "这些改动没有保存：显示栗丸；下次启动会把这次退出报告为意外退出"},
        {{"companionRecord", "keystrokeLedger"},
         true,
         AppLanguageChoice::english,
         "the key counts and companion time are kept for the next start; no other change is lost"},
        {{"companionRecord", "unjournaledCounts", "keystrokeLedger"},
         false,
         AppLanguageChoice::english,
         "these changes are lost: Time Together, Key counts"},
        {{"menuBarMealEnabled", "menuBarMealDesiredCollapsed", "someLaterKey", "anotherLaterKey"},
         false,
         AppLanguageChoice::english,
         "these changes are lost: Tuftle's icon stash, Other settings"},
        {{"petsVisible", "keyboardMilestoneV490Migrated", "keystrokeLedger"},
         true,
         AppLanguageChoice::simplifiedChinese,
         "按键次数和陪伴时间已留到下次启动；这些改动没有保存：显示栗丸、按键反馈动作"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        L10n::setAppLanguageChoice(c.language);
        EXPECT_EQ(unsavedChangesNote(c.keys, c.countsKept), c.note);
    }
}

TEST(UnsavedChangesNote, everySettingHasWordsOfItsOwn) {
    testing::LanguageChoiceReset reset;
    L10n::setAppLanguageChoice(AppLanguageChoice::english);
    const std::string unnamed = unsavedChangesNote({"someLaterKey"}, false);
    for (const auto& setting : storedSettings()) {
        const std::string note = unsavedChangesNote({setting.key}, false);
        EXPECT_NE(note, unnamed) << setting.key;
        EXPECT_EQ(note.find(setting.key), std::string::npos) << note;
    }
}

}  // namespace
}  // namespace model
