#include "model/AppModelTestSupport.h"
#include "model/UserText.h"

using namespace model;
using platform::Date;

namespace {

struct ModelOperationsTest : model::testing::AppModelTest {
    std::unique_ptr<AppModel> model = launch();
    int languageNotifications = 0;
    platform::Subscription languageObserver =
        sim.notifications.addObserver(L10n::tuftleLanguageDidChange, [this] { ++languageNotifications; });

    std::vector<bool> storedFlags() const {
        std::vector<bool> out;
        const auto stored = sim.defaults.array(keys::petNameCustomizations);
        for (const auto& v : stored.value()) out.push_back(*v.getIf<bool>());
        return out;
    }
};

TEST_F(ModelOperationsTest, setName_trimsEveryKindOfSpaceAndMarksThePetNamed) {
    model->setName("\u3000 Momo\t\n\u00a0", 1);
    EXPECT_EQ(model->name(1), "Momo");
    EXPECT_EQ(*sim.defaults.stringArray(keys::petNames), (std::vector<std::string>{defaultPetName(0), "Momo"}));
    EXPECT_EQ(storedFlags(), (std::vector<bool>{false, true}));

    // Spaces inside the name stay.
    model->setName("  Big\u3000Momo ", 1);
    EXPECT_EQ(model->name(1), "Big\u3000Momo");
}

TEST_F(ModelOperationsTest, setName_keepsTwelveUserPerceivedCharacters) {
    model->setName("abcdefghijklmnopqrst", 0);
    EXPECT_EQ(model->name(0), "abcdefghijkl");

    // A letter with two combining marks is one character; it is never split from its marks.
    std::string accented;
    for (int i = 0; i < 13; ++i) accented += "e\u0301\u0323";
    model->setName(accented, 0);
    EXPECT_EQ(text::characterCount(model->name(0)), 12u);
    EXPECT_EQ(model->name(0), accented.substr(0, 12 * std::string("e\u0301\u0323").size()));

    // A family (joined by zero-width joiners), a thumb with a skin tone and a flag: one each.
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    const std::string thumb = "\U0001F44D\U0001F3FD";
    const std::string flag = "\U0001F1EF\U0001F1F5";
    std::string emoji;
    for (int i = 0; i < 4; ++i) emoji += family + thumb + flag;
    model->setName(emoji, 0);
    std::string expected;
    for (int i = 0; i < 4; ++i) expected += family + thumb + flag;
    EXPECT_EQ(model->name(0), expected) << "exactly twelve characters";
    model->setName(emoji + family, 0);
    EXPECT_EQ(model->name(0), expected);

    // Twelve Chinese characters and a full-width space at the end fit exactly.
    model->setName("一二三四五六七八九十百千\u3000", 0);
    EXPECT_EQ(model->name(0), "一二三四五六七八九十百千");
}

TEST_F(ModelOperationsTest, setName_repairsBytesThatAreNoText) {
    model->setName(std::string("Mo\xff\xfemo"), 0);
    EXPECT_EQ(model->name(0), "Mo\uFFFD\uFFFDmo");
}

TEST_F(ModelOperationsTest, emptyName_restoresTheDefaultThatThenFollowsTheLanguage) {
    model->setName("Momo", 0);
    model->setName(" \u3000\n", 0);
    EXPECT_EQ(model->name(0), defaultPetName(0));
    EXPECT_EQ(storedFlags(), (std::vector<bool>{false, false}));

    model->setName("Pip", 1);
    model->setAppLanguage(AppLanguageChoice::simplifiedChinese);
    EXPECT_EQ(model->name(0), "栗栗");
    EXPECT_EQ(model->name(1), "Pip");
}

TEST_F(ModelOperationsTest, indexesOutsideThePets_changeNothingAndAnswerDefaults) {
    const auto names = model->petNames.get();
    model->setName("Momo", 2);
    model->setName("Momo", -1);
    EXPECT_EQ(model->petNames.get(), names);

    model->petNames = std::vector<std::string>{"Solo"};
    EXPECT_EQ(model->name(1), defaultPetName(1));

    EXPECT_EQ(model->accessory(5), PetAccessory::none);
    EXPECT_EQ(model->homePreference(-1), PetHomePreference::automatic);
    model->setAccessory(PetAccessory::scarf, 5);
    model->setHomePreference(PetHomePreference::dock, -1);
    EXPECT_EQ(model->petAccessories.get(), (std::vector<PetAccessory>{PetAccessory::none, PetAccessory::none}));

    model->setAccessory(PetAccessory::scarf, 1);
    model->setHomePreference(PetHomePreference::notch, 0);
    EXPECT_EQ(model->accessory(1), PetAccessory::scarf);
    EXPECT_EQ(model->homePreference(0), PetHomePreference::notch);
    EXPECT_EQ(*sim.defaults.stringArray(keys::petAccessories), (std::vector<std::string>{"none", "scarf"}));
}

TEST_F(ModelOperationsTest, setTuning_clampsEachFactorAndFeedsTheCadence) {
    int changes = 0;
    auto sub = model->activityTunings.subscribe([&](const auto&) { ++changes; }, false);
    model->setTuning({0.2, 2.0, 1.0}, PetActivityLevel::lively);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(model->activityTunings.get()[2], (PetActivityTuning{0.5, 1.6, 1.0}));
    EXPECT_EQ(model->tuning(PetActivityLevel::lively), (PetActivityTuning{0.5, 1.6, 1.0}));
    EXPECT_EQ(model->tuning(PetActivityLevel::natural), PetActivityTuning{});
    EXPECT_EQ(storedJson(keys::activityTunings)->at(2).at("sceneFrequency"), 0.5);

    model->activityLevel = PetActivityLevel::lively;
    const auto expected = PetAnimationCadence::base(PetActivityLevel::lively).adjusted({0.5, 1.6, 1.0});
    EXPECT_EQ(model->cadenceProfile(), expected);
}

TEST_F(ModelOperationsTest, setAppLanguage_switchesOnceClearsOldWordingAndKeepsTheUpdateState) {
    model->setAppLanguage(AppLanguageChoice::system);
    EXPECT_EQ(languageNotifications, 0);
    EXPECT_FALSE(sim.defaults.hasObject(keys::appLanguageChoice));

    model->launchAtLoginMessage = std::string("设置失败：x");
    updates::UpdateManifest manifest;
    manifest.version = "2.0.0";
    model->updateCheckResult = updates::UpdateCheckResult::available(manifest);
    model->setAppLanguage(AppLanguageChoice::simplifiedChinese);
    EXPECT_EQ(languageNotifications, 1);
    EXPECT_EQ(model->appLanguage.get(), AppLanguageChoice::simplifiedChinese);
    EXPECT_EQ(L10n::language(), "zh-Hans");
    EXPECT_EQ(sim.defaults.string(keys::appLanguageChoice), "simplifiedChinese");
    EXPECT_EQ(model->launchAtLoginMessage.get(), "");
    EXPECT_EQ(model->updateCheckResult.get(), updates::UpdateCheckResult::available(manifest)) << "a download in hand stays";
    EXPECT_EQ(*sim.defaults.stringArray(keys::petNames), (std::vector<std::string>{"栗栗", "丸丸"}));

    model->setAppLanguage(AppLanguageChoice::simplifiedChinese);
    EXPECT_EQ(languageNotifications, 1);
}

struct ResetTest : model::testing::AppModelTest {};

TEST_F(ResetTest, resetAllLocalData_restoresFirstLaunchButKeepsWhatItMust) {
    store(keys::onboardingCompleted, true);
    store(keys::automaticUpdateChecks, false);
    store(keys::appLanguageChoice, "simplifiedChinese");
    auto model = launch();
    int languageNotifications = 0;
    auto observer = sim.notifications.addObserver(L10n::tuftleLanguageDidChange, [&] { ++languageNotifications; });

    model->keyCountingEnabled = true;
    for (int i = 0; i < 5; ++i) model->recordKeystroke(now());
    model->keyboardMilestone = int64_t{100};
    const auto lastKey = model->lastKeyAt.get();
    model->startFocus(25);
    model->setName("Momo", 0);
    model->setAccessory(PetAccessory::starPin, 1);
    model->setTuning({1.5, 1.5, 1.5}, PetActivityLevel::quiet);
    model->activityLevel = PetActivityLevel::lively;
    model->petCount = 1;
    model->petsVisible = false;
    model->waterRemindersEnabled = true;
    model->restReminderInterval = ReminderInterval::twenty;
    model->recordCompanion(3600);
    model->launchAtLoginEnabled = true;
    sim.loop.advance(10);

    model->resetAllLocalData();

    EXPECT_FALSE(model->isFocusActive.get());
    EXPECT_FALSE(sim.defaults.hasObject(keys::focusEndsAt));
    EXPECT_FALSE(model->keyCountingEnabled.get());
    EXPECT_TRUE(model->petsVisible.get());
    EXPECT_EQ(model->petCount.get(), 2);
    EXPECT_EQ(model->activityLevel.get(), PetActivityLevel::natural);
    EXPECT_EQ(model->activityTunings.get(), std::vector<PetActivityTuning>(3));
    EXPECT_EQ(model->petAccessories.get(), (std::vector<PetAccessory>{PetAccessory::none, PetAccessory::none}));
    EXPECT_FALSE(model->waterRemindersEnabled.get());
    EXPECT_EQ(model->restReminderInterval.get(), ReminderInterval::fifty);
    EXPECT_EQ(model->todayKeyCount(), 0);
    EXPECT_EQ(storedJson(keys::keystrokeLedger)->at("allTimeCount"), 0);
    EXPECT_EQ(model->companionRecord.get(), CompanionRecord::startingAt(now()));
    EXPECT_EQ(model->keyboardReactions.get(), keyboardReactionDefaults());
    EXPECT_EQ(model->keyboardReaction.get(), std::nullopt);
    EXPECT_EQ(model->keyboardReactionSequence, 0);

    // The language goes back to the system's, and the default names follow it.
    EXPECT_EQ(model->appLanguage.get(), AppLanguageChoice::system);
    EXPECT_EQ(languageNotifications, 1);
    EXPECT_EQ(model->petNames.get(), (std::vector<std::string>{defaultPetName(0), defaultPetName(1)}));
    EXPECT_FALSE(model->petNameCustomizations[0]);

    // Kept.
    EXPECT_TRUE(model->onboardingCompleted.get());
    EXPECT_FALSE(model->automaticUpdateChecks.get());
    EXPECT_TRUE(model->launchAtLoginEnabled.get());
    EXPECT_EQ(model->lastKeyAt.get(), lastKey);
    EXPECT_EQ(model->keyboardMilestone.get(), int64_t{100});

    // No reminder for at least 900 s, and rest only after its full interval.
    for (double t = 0; t < 50 * 60; t += 60) {
        model->evaluateGentleReminders(now());
        ASSERT_EQ(model->wellbeingAction.get(), std::nullopt) << t;
        sim.loop.advance(60);
    }
    model->evaluateGentleReminders(now());
    EXPECT_EQ(model->wellbeingAction.get(), WellbeingAction::stretch);
}

}  // namespace
