#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include <nlohmann/json.hpp>

#include "TestFiles.h"
#include "model/AppModelTestSupport.h"
#include "model/DataExport.h"
#include "model/TimeZoneTestSupport.h"

using model::Json;
using model::TuftleExport;
namespace fs = std::filesystem;

namespace {

// The keys of one object in the order the text lists them.
std::vector<std::string> keysInTextOrder(const Json& object) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.push_back(key);
    return keys;
}

bool isSorted(const std::vector<std::string>& keys) {
    return std::is_sorted(keys.begin(), keys.end());
}

struct DataExportTest : model::testing::AppModelTest {
    std::unique_ptr<model::AppModel> model = launch();
    model::testing::TimeZoneOverride zone{model::testing::kUtc};

    // Parsed into an ordered value, which keeps the text's key order.
    Json exported() const { return Json::parse(model->exportData()); }
};

TEST_F(DataExportTest, document_holdsTheTwentyOneFieldsFromTheModelInSortedKeyOrder) {
    model->restRemindersEnabled = false;
    model->restReminderInterval = model::ReminderInterval::ninety;
    model->lookFarRemindersEnabled = true;
    model->petCount = 1;
    model::KeystrokeLedger ledger;
    ledger.dailyCounts = {{"2026-03-07", 12}, {"2025-12-31", 3}, {"2026-01-02", 5}};
    ledger.allTimeCount = 20;
    model->ledger = ledger;
    auto record = model::CompanionRecord::startingAt(platform::Date::fromUnix(1772874900.4));  // 2026-03-07T09:15:00Z
    record.dailyCompanionSeconds = {{"2026-03-07", 60}, {"2026-03-01", 30}};
    model->companionRecord = record;

    const Json doc = exported();
    const auto keys = keysInTextOrder(doc);
    EXPECT_EQ(keys, (std::vector<std::string>{"activityLevel",
                                              "activityTunings",
                                              "appLanguage",
                                              "appVersion",
                                              "companionship",
                                              "dragStayDuration",
                                              "exportedAt",
                                              "formatVersion",
                                              "homePreferences",
                                              "keyCountingEnabled",
                                              "keystrokes",
                                              "lookFarReminderMinutes",
                                              "lookFarRemindersEnabled",
                                              "petAccessories",
                                              "petCount",
                                              "petNames",
                                              "restReminderMinutes",
                                              "stretchReminderMinutes",
                                              "stretchRemindersEnabled",
                                              "waterReminderMinutes",
                                              "windowWalkingEnabled"}));
    EXPECT_TRUE(isSorted(keysInTextOrder(doc["keystrokes"]["dailyCounts"])));
    EXPECT_TRUE(isSorted(keysInTextOrder(doc["companionship"])));
    EXPECT_TRUE(isSorted(keysInTextOrder(doc["companionship"]["dailyCompanionSeconds"])));
    EXPECT_TRUE(isSorted(keysInTextOrder(doc["activityTunings"][0])));

    EXPECT_EQ(doc["formatVersion"], 5);
    EXPECT_EQ(doc["exportedAt"], platform::iso8601(now()));
    EXPECT_EQ(doc["appVersion"], "0.1.0") << "the bundle's short version";
    EXPECT_EQ(doc["companionship"]["firstMetAt"], "2026-03-07T09:15:00Z");
    EXPECT_EQ(doc["keystrokes"]["allTimeCount"], 20);
    EXPECT_EQ(doc["keystrokes"]["dailyCounts"]["2025-12-31"], 3);
    EXPECT_EQ(doc["restReminderMinutes"], 90) << "the interval is exported although the reminder is off";
    EXPECT_EQ(doc["waterReminderMinutes"], 120);
    EXPECT_EQ(doc["lookFarRemindersEnabled"], true);
    EXPECT_EQ(doc["petCount"], 1);
    EXPECT_EQ(doc["activityLevel"], "natural");
    EXPECT_EQ(doc["appLanguage"], "system");
    EXPECT_EQ(doc["activityTunings"].size(), 3u);
    EXPECT_FALSE(doc.contains("restRemindersEnabled"));
    EXPECT_FALSE(doc.contains("waterRemindersEnabled"));

    const std::string text = model->exportData();
    EXPECT_NE(text.find("\n  \"activityLevel\""), std::string::npos) << "pretty-printed";
}

TEST_F(DataExportTest, exportedDocument_decodesToTheSameValuesAndChangesNothing) {
    model->recordKeystroke(now());
    const auto writesBefore = sim.defaults.writeLog().size();
    const auto doc = TuftleExport::fromJson(exported());
    ASSERT_TRUE(doc);
    auto expected = TuftleExport::from(*model, platform::Date{std::floor(now().secondsSinceReferenceDate)}, "0.1.0");
    expected.companionship.firstMetAt.secondsSinceReferenceDate =
        std::floor(expected.companionship.firstMetAt.secondsSinceReferenceDate);
    EXPECT_EQ(*doc, expected);
    EXPECT_EQ(sim.defaults.writeLog().size(), writesBefore);
}

TEST_F(DataExportTest, decoding_acceptsMissingOptionalKeysButNotMissingRequiredOnes) {
    Json full = exported();
    Json minimal = full;
    for (const char* key :
         {"appLanguage", "activityTunings", "homePreferences", "dragStayDuration", "windowWalkingEnabled",
          "petAccessories", "restReminderMinutes", "waterReminderMinutes", "stretchRemindersEnabled",
          "stretchReminderMinutes", "lookFarRemindersEnabled", "lookFarReminderMinutes"})
        minimal.erase(key);
    const auto doc = TuftleExport::fromJson(minimal);
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->homePreferences);
    EXPECT_FALSE(doc->restReminderMinutes);
    EXPECT_EQ(doc->keystrokes, model->ledger.get());

    for (const char* key : {"formatVersion", "exportedAt", "appVersion", "petNames", "petCount", "activityLevel",
                            "keyCountingEnabled", "keystrokes", "companionship"}) {
        Json without = full;
        without.erase(key);
        EXPECT_FALSE(TuftleExport::fromJson(without)) << key;
    }
    Json wrong = full;
    wrong["homePreferences"] = "dock";
    EXPECT_FALSE(TuftleExport::fromJson(wrong)) << "an optional key of the wrong type";
    wrong = full;
    wrong["exportedAt"] = "2026-02-31T10:00:00Z";
    EXPECT_FALSE(TuftleExport::fromJson(wrong)) << "no such day";
}

TEST_F(DataExportTest, valuesJsonCannotHold_failTheExport) {
    auto record = model->companionRecord.get();
    record.totalCompanionSeconds = std::numeric_limits<double>::quiet_NaN();
    model->companionRecord = record;
    EXPECT_THROW(model->exportData(), model::DataExportError);

    record.totalCompanionSeconds = 1;
    model->companionRecord = record;
    model->petNames = std::vector<std::string>{"\xff\xfe", "ok"};
    EXPECT_THROW(model->exportData(), model::DataExportError);
}

TEST(DataExportVersion, bundleWithoutAStringVersion_exportsTheDevelopmentVersion) {
    const testfiles::TemporaryFolder folder("tuftle-export-bundle");
    const fs::path& root = folder.path();
    const auto plist = [&](const std::string& entries) {
        std::ofstream(root / "Info.plist") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">"
                                           << "<dict>" << entries << "</dict></plist>\n";
    };
    EXPECT_EQ(model::exportAppVersion(std::nullopt), "0.0.0-dev");
    plist("<key>CFBundleVersion</key><string>7</string>");
    EXPECT_EQ(model::exportAppVersion(root), "0.0.0-dev");
    plist("<key>CFBundleShortVersionString</key><integer>2</integer>");
    EXPECT_EQ(model::exportAppVersion(root), "0.0.0-dev");
    plist("<key>CFBundleShortVersionString</key><string>4.9.1</string>");
    EXPECT_EQ(model::exportAppVersion(root), "4.9.1");
}

TEST_F(DataExportTest, proposedFileName_usesLocalTimeWithAsciiDigitsInEveryLanguage) {
    zone.switchTo(model::testing::kTokyo);
    const auto at = platform::calendar::dateFromLocal(2026, 3, 2, 9, 5, 59);
    model::L10n::setAppLanguageChoice(model::AppLanguageChoice::simplifiedChinese);
    EXPECT_EQ(model::proposedExportFileName(at), "栗丸数据-20260302-0905.json");
    model::L10n::setAppLanguageChoice(model::AppLanguageChoice::english);
    EXPECT_EQ(model::proposedExportFileName(at), "Tuftle Data-20260302-0905.json");
}

}  // namespace
