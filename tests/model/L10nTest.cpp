#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <functional>
#include <locale>

#include "model/L10n.h"
#include "model/L10nTestSupport.h"
#include "model/PetModels.h"
#include "model/WellbeingModels.h"
#include "platform/sim/SimPlatform.h"

using model::AppLanguageChoice;
using model::L10n;
using namespace model::testing;

namespace {

const char* englishTable = R"({"栗栗": "Chestnut", "%d minute": "%d min", "%d minutes": "%d mins", "空": ""})";
const char* chineseTable = R"({"%d 分钟": "%d 分钟"})";

struct L10nTest : ::testing::Test {
    LanguageChoiceReset reset;
};

}  // namespace

TEST_F(L10nTest, lookupTranslatesAKeyTheTableHasAndReturnsTheKeyOtherwise) {
    TemporaryBundle bundle({{"en", englishTable}, {"zh-Hans", chineseTable}});
    L10n::setAppLanguageChoice(AppLanguageChoice::english);
    EXPECT_EQ(L10n::t("栗栗"), "Chestnut");
    EXPECT_EQ(L10n::t("丸丸"), "丸丸");
    EXPECT_EQ(L10n::t("空"), "空") << "an empty translation shows the key";
    L10n::setAppLanguageChoice(AppLanguageChoice::simplifiedChinese);
    EXPECT_EQ(L10n::t("栗栗"), "栗栗");
}

TEST_F(L10nTest, missingOrBrokenTableReturnsTheKey) {
    TemporaryBundle bundle({{"en", "{not json"}, {"zh-Hans", ""}});
    ::testing::internal::CaptureStderr();
    L10n::setAppLanguageChoice(AppLanguageChoice::english);
    EXPECT_EQ(L10n::t("栗栗"), "栗栗");
    L10n::setAppLanguageChoice(AppLanguageChoice::simplifiedChinese);
    EXPECT_EQ(L10n::t("栗栗"), "栗栗");
    ::testing::internal::GetCapturedStderr();
}

TEST_F(L10nTest, anUnusableTableIsNamedOnceWithWhatShowsInstead) {
    namespace fs = std::filesystem;
    const struct {
        const char* situation;
        std::function<void(const fs::path&)> make;
        const char* why;
    } cases[] = {
        {"missing", [](const fs::path&) {}, "is missing"},
        {"a folder in its place", [](const fs::path& f) { fs::create_directory(f); }, "is a folder"},
        {"not JSON", [](const fs::path& f) { std::ofstream(f) << "{not json"; }, "no JSON object"},
        {"a JSON list", [](const fs::path& f) { std::ofstream(f) << R"(["Chestnut"])"; }, "no JSON object"},
        {"a table", [](const fs::path& f) { std::ofstream(f) << englishTable; }, nullptr},
    };
    for (const auto& c : cases) {
        TemporaryBundle bundle({{"en", ""}, {"zh-Hans", chineseTable}});
        const fs::path table = bundle.root() / "en.lproj" / "Localizable.json";
        c.make(table);
        L10n::setAppLanguageChoice(AppLanguageChoice::english);
        ::testing::internal::CaptureStderr();
        for (int i = 0; i < 3; ++i) L10n::t("栗栗");
        const std::string said = ::testing::internal::GetCapturedStderr();
        if (!c.why) {
            EXPECT_EQ(said, "") << c.situation;
            continue;
        }
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.situation << ": " << said;
        for (const std::string& part :
             {table.string(), std::string(c.why), std::string("built-in Chinese texts instead")})
            EXPECT_NE(said.find(part), std::string::npos) << c.situation << ": " << part << " in: " << said;
    }
}

TEST_F(L10nTest, missingLanguageFolderReturnsTheKey) {
    TemporaryBundle bundle({{"zh-Hans", chineseTable}});
    L10n::setAppLanguageChoice(AppLanguageChoice::english);
    EXPECT_EQ(L10n::language(), "en");
    EXPECT_EQ(L10n::t("栗栗"), "栗栗");
}

TEST_F(L10nTest, tableEditedOnDiskIsReadAgain) {
    TemporaryBundle bundle({{"en", englishTable}});
    L10n::setAppLanguageChoice(AppLanguageChoice::english);
    EXPECT_EQ(L10n::t("栗栗"), "Chestnut");
    std::ofstream(bundle.root() / "en.lproj" / "Localizable.json") << R"({"栗栗": "Chestnut the Second"})";
    EXPECT_EQ(L10n::t("栗栗"), "Chestnut the Second");
}

TEST_F(L10nTest, systemChoiceFollowsTheDesktopLanguagesInOrderOfPreference) {
    TemporaryBundle bundle({{"en", englishTable}, {"zh-Hans", chineseTable}});
    L10n::setAppLanguageChoice(AppLanguageChoice::system);
    {
        EnvironmentOverride env({{"LANG", "zh_CN.UTF-8"}});
        EXPECT_EQ(L10n::language(), "zh-Hans");
        EXPECT_EQ(L10n::formattingLocale(), "zh_CN");
    }
    {
        EnvironmentOverride env({{"LANGUAGE", "fr_FR:zh_SG:en"}, {"LANG", "en_US.UTF-8"}});
        EXPECT_EQ(L10n::language(), "zh-Hans") << "the first LANGUAGE entry the bundle serves wins";
    }
    {
        EnvironmentOverride env({{"LC_ALL", "en_GB.UTF-8"}, {"LC_MESSAGES", "zh_CN.UTF-8"}});
        EXPECT_EQ(L10n::language(), "en");
        EXPECT_EQ(L10n::t("栗栗"), "Chestnut");
    }
    {
        EnvironmentOverride env({{"LC_MESSAGES", "zh_CN.UTF-8"}, {"LANG", "en_US.UTF-8"}});
        EXPECT_EQ(L10n::language(), "zh-Hans");
    }
}

// The first entry that names a Chinese variant decides for Chinese; a later, vaguer "zh" does not
// overrule a Traditional one before it.
TEST_F(L10nTest, firstChineseEntryDecidesTheScript) {
    TemporaryBundle bundle({{"en", englishTable}, {"zh-Hans", chineseTable}});
    L10n::setAppLanguageChoice(AppLanguageChoice::system);
    const struct {
        const char* language;
        const char* lang;
        const char* expected;
    } cases[] = {
        {"zh_TW:zh", "zh_TW.UTF-8", "en"},
        {"zh_HK:zh", "", "en"},
        {"zh-Hant:zh_CN", "", "en"},
        {"zh_MO", "zh_CN.UTF-8", "en"},
        {"", "zh_TW.UTF-8", "en"},
        {"fr_FR:zh_TW:zh", "", "en"},
        {"zh", "", "zh-Hans"},
        {"zh", "zh_TW.UTF-8", "zh-Hans"},
        {"zh_CN:zh_TW", "", "zh-Hans"},
        {"zh_SG:zh", "zh_TW.UTF-8", "zh-Hans"},
        {"zh_Hans:zh_TW", "", "zh-Hans"},
        {"en_US:zh_CN", "zh_CN.UTF-8", "en"},
        {"de_DE:zh", "", "zh-Hans"},
    };
    for (const auto& c : cases) {
        EnvironmentOverride env({{"LANGUAGE", c.language}, {"LANG", c.lang}});
        EXPECT_EQ(L10n::language(), c.expected) << "LANGUAGE=" << c.language << " LANG=" << c.lang;
    }
}

TEST_F(L10nTest, systemLanguageTheBundleLacksFallsBackToEnglish) {
    TemporaryBundle bundle({{"en", englishTable}, {"zh-Hans", chineseTable}});
    L10n::setAppLanguageChoice(AppLanguageChoice::system);
    for (const char* lang : {"de_DE.UTF-8", "zh_TW.UTF-8", "C.UTF-8", "POSIX", ""}) {
        EnvironmentOverride env({{"LANG", lang}});
        EXPECT_EQ(L10n::language(), "en") << lang;
        EXPECT_EQ(L10n::minutes(2), "2 mins") << lang;
    }
}

TEST_F(L10nTest, systemChoiceMayYieldAnyLocalisationTheBundleHasWithEnglishFormats) {
    TemporaryBundle bundle({{"en", englishTable}, {"zh-Hans", chineseTable}, {"fr", R"({"栗栗": "Châtaigne"})"}});
    L10n::setAppLanguageChoice(AppLanguageChoice::system);
    EnvironmentOverride env({{"LANG", "fr_CA.UTF-8"}});
    EXPECT_EQ(L10n::language(), "fr");
    EXPECT_EQ(L10n::t("栗栗"), "Châtaigne");
    EXPECT_EQ(L10n::formattingLocale(), "en_US");
    EXPECT_EQ(L10n::progress(0, 1, L10n::ProgressUnit::sessions), "0 / 1 session");
}

TEST_F(L10nTest, matchingMapsChineseByScriptAndRegion) {
    const std::vector<std::string> available{"en", "zh-Hans"};
    EXPECT_EQ(L10n::matchLocalization("zh_CN.UTF-8", available), "zh-Hans");
    EXPECT_EQ(L10n::matchLocalization("zh_SG", available), "zh-Hans");
    EXPECT_EQ(L10n::matchLocalization("zh", available), "zh-Hans");
    EXPECT_EQ(L10n::matchLocalization("zh-Hans", available), "zh-Hans");
    EXPECT_EQ(L10n::matchLocalization("zh_TW.UTF-8", available), std::nullopt);
    EXPECT_EQ(L10n::matchLocalization("zh_HK", available), std::nullopt);
    EXPECT_EQ(L10n::matchLocalization("en_AU.UTF-8@euro", available), "en");
    EXPECT_EQ(L10n::matchLocalization("C", available), std::nullopt);
}

TEST_F(L10nTest, unsetChoiceReadsTheStoredChoiceOnEveryCall) {
    TemporaryBundle bundle({{"en", englishTable}, {"zh-Hans", chineseTable}});
    EnvironmentOverride env({{"LANG", "zh_CN.UTF-8"}});
    platform::sim::SimPlatform sim;
    L10n::setAppLanguageChoice(std::nullopt);
    EXPECT_EQ(L10n::language(), "zh-Hans");
    sim.defaults.set("appLanguageChoice", "english");
    EXPECT_EQ(L10n::language(), "en");
    sim.defaults.set("appLanguageChoice", "klingon");
    EXPECT_EQ(L10n::language(), "zh-Hans") << "an unknown stored choice counts as the system's";
}

TEST_F(L10nTest, minutesHoursAndProgressUseTheLanguageRules) {
    TemporaryBundle bundle({{"en", "{}"}, {"zh-Hans", "{}"}});
    L10n::setAppLanguageChoice(AppLanguageChoice::english);
    EXPECT_EQ(L10n::minutes(1), "1 minute");
    EXPECT_EQ(L10n::minutes(0), "0 minutes");
    EXPECT_EQ(L10n::hours(1), "1 hour");
    EXPECT_EQ(L10n::hours(2), "2 hours");
    EXPECT_EQ(L10n::minutes(12345), "12345 minutes") << "unit counts are not grouped";
    EXPECT_EQ(L10n::progress(0, 1, L10n::ProgressUnit::sessions), "0 / 1 session");
    EXPECT_EQ(L10n::progress(1500, 5000, L10n::ProgressUnit::keyPresses), "1,500 / 5,000 key presses");
    EXPECT_EQ(L10n::progress(3, 7, L10n::ProgressUnit::days), "3 / 7 days");

    L10n::setAppLanguageChoice(AppLanguageChoice::simplifiedChinese);
    EXPECT_EQ(L10n::minutes(1), "1 分钟");
    EXPECT_EQ(L10n::hours(3), "3 小时");
    EXPECT_EQ(L10n::progress(1500, 5000, L10n::ProgressUnit::keyPresses), "1,500 / 5,000 次");
    EXPECT_EQ(L10n::progress(1, 1, L10n::ProgressUnit::hours), "1 / 1 小时");
    EXPECT_EQ(model::title(model::ReminderInterval::ninety), "1 小时 30 分钟");
}

TEST_F(L10nTest, numberGroupsThousandsWithCommasInBothLanguages) {
    TemporaryBundle bundle({{"en", "{}"}, {"zh-Hans", "{}"}});
    for (auto choice : {AppLanguageChoice::english, AppLanguageChoice::simplifiedChinese}) {
        L10n::setAppLanguageChoice(choice);
        EXPECT_EQ(L10n::number(0), "0");
        EXPECT_EQ(L10n::number(999), "999");
        EXPECT_EQ(L10n::number(1000), "1,000");
        EXPECT_EQ(L10n::number(12345), "12,345");
        EXPECT_EQ(L10n::number(-1234567), "-1,234,567");
        EXPECT_EQ(L10n::number(INT64_MIN), "-9,223,372,036,854,775,808");
    }
}

TEST_F(L10nTest, formatFillsArgumentsAndNeverReadsPastThem) {
    EXPECT_EQ(L10n::format("发现新版本 %@", {std::string("1.2.0")}), "发现新版本 1.2.0");
    EXPECT_EQ(L10n::format("%02d:%02d", {int64_t{5}, int64_t{7}}), "05:07");
    EXPECT_EQ(L10n::format("%02d:%02d", {int64_t{125}, int64_t{0}}), "125:00");
    EXPECT_EQ(L10n::format("%2$@ then %1$@", {std::string("a"), std::string("b")}), "b then a");
    EXPECT_EQ(L10n::format("%lld%% of %d", {int64_t{50}}), "50% of %d");
    EXPECT_EQ(L10n::format("%@ and %d", {int64_t{3}}), "%@ and 3") << "a mismatched type is kept as written";
    EXPECT_EQ(L10n::format("%05d|%3d", {int64_t{-42}, int64_t{-7}}), "-0042| -7");
    EXPECT_EQ(L10n::format("tail %", {}), "tail %");
}

namespace {

// A C++ locale whose numbers read "1.234,5", as German ones do, without needing the
// system to have a German locale installed.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

void expectEnglishFormats() {
    TemporaryBundle bundle({{"en", "{}"}, {"zh-Hans", "{}"}});
    L10n::setAppLanguageChoice(AppLanguageChoice::english);
    EXPECT_EQ(L10n::number(1234567), "1,234,567");
    EXPECT_EQ(L10n::minutes(1500), "1500 minutes");
    EXPECT_EQ(L10n::progress(1500, 5000, L10n::ProgressUnit::keyPresses), "1,500 / 5,000 key presses");
    auto cadence = model::PetAnimationCadence::base(model::PetActivityLevel::natural)
                       .adjusted(model::PetActivityTuning{0.1, 3.0, 1.0});
    EXPECT_DOUBLE_EQ(cadence.relationshipInterval.lowerBound, 36.25);
}

struct ProcessLocale {
    std::string c = std::setlocale(LC_ALL, nullptr);
    std::locale cpp;
    ~ProcessLocale() {
        std::setlocale(LC_ALL, c.c_str());
        std::locale::global(cpp);
    }
};

}  // namespace

TEST_F(L10nTest, formatsIgnoreAGermanProcessLocale) {
    ProcessLocale restore;
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    std::locale::global(std::locale("de_DE.UTF-8"));
    expectEnglishFormats();
}

TEST_F(L10nTest, formatsIgnoreADecimalCommaCppLocaleOverCUtf8) {
    ProcessLocale restore;
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    expectEnglishFormats();
}

TEST_F(L10nTest, languagePickerTitlesOnlyTranslateTheSystemEntry) {
    TemporaryBundle bundle({{"en", R"({"跟随系统": "Same as System"})"}, {"zh-Hans", "{}"}});
    L10n::setAppLanguageChoice(AppLanguageChoice::english);
    EXPECT_EQ(model::title(AppLanguageChoice::system), "Same as System");
    EXPECT_EQ(model::title(AppLanguageChoice::simplifiedChinese), "简体中文");
    EXPECT_EQ(model::title(AppLanguageChoice::english), "English");
    EXPECT_EQ(model::fromRaw<AppLanguageChoice>("English"), std::nullopt);
}
