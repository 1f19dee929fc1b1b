#include <gtest/gtest.h>

#include <limits>
#include <string>

#include <nlohmann/json.hpp>

#include "model/CompanionModels.h"
#include "model/KeystrokeLedger.h"

using namespace model;

namespace {

std::string text(const platform::Data& d) {
    return std::string(d.begin(), d.end());
}
platform::Data data(const std::string& s) {
    return platform::Data(s.begin(), s.end());
}

CompanionRecord sampleRecord() {
    CompanionRecord r = CompanionRecord::startingAt(platform::Date{796000000.5});
    r.totalCompanionSeconds = 3720.5;
    r.dailyCompanionSeconds = {{"2026-03-07", 3600}, {"2026-03-08", 120.5}};
    r.completedFocusSessions = 2;
    r.unlockedIDs = {"firstSteps", "steadyCompanion", "someFutureBadge"};
    return r;
}

}  // namespace

TEST(CompanionRecordCoding, encodesKeysInOrderWithDatesAsSecondsSince2001) {
    auto encoded = coding::encode(sampleRecord().toJson());
    ASSERT_TRUE(encoded);
    const std::string json = text(*encoded);
    EXPECT_EQ(json.find("{\"firstMetAt\":796000000.5,\"totalCompanionSeconds\":3720.5,\"dailyCompanionSeconds\":"), 0u)
        << json;
    EXPECT_LT(json.find("\"completedFocusSessions\":2"), json.find("\"unlockedIDs\""));
    EXPECT_EQ(json.find(' '), std::string::npos) << "stored compact";
    auto decoded = coding::decode(*encoded);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(CompanionRecord::fromJson(*decoded), sampleRecord()) << "unknown unlock ids survive a round trip";
}

TEST(CompanionRecordCoding, decodingFailsWithoutAnyKeyOrWithAWrongType) {
    const Json good = sampleRecord().toJson();
    for (const char* key :
         {"firstMetAt", "totalCompanionSeconds", "dailyCompanionSeconds", "completedFocusSessions", "unlockedIDs"}) {
        Json missing = good;
        missing.erase(key);
        EXPECT_FALSE(CompanionRecord::fromJson(missing)) << key;
        Json wrong = good;
        wrong[key] = "x";
        EXPECT_FALSE(CompanionRecord::fromJson(wrong)) << key;
    }
    Json fractionalSessions = good;
    fractionalSessions["completedFocusSessions"] = 1.5;
    EXPECT_FALSE(CompanionRecord::fromJson(fractionalSessions));
    Json badId = good;
    badId["unlockedIDs"] = Json::array({"firstSteps", 3});
    EXPECT_FALSE(CompanionRecord::fromJson(badId));
}

TEST(CompanionRecordCoding, numberThatIsNotFiniteFailsToEncode) {
    CompanionRecord r = sampleRecord();
    r.totalCompanionSeconds = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(coding::encode(r.toJson()));
}

TEST(CompanionUnlocks, unlockAtTheirThresholdsAndAreNeverRemoved) {
    CompanionRecord r;
    r.totalCompanionSeconds = 599;
    r.refreshUnlocks(99);
    EXPECT_TRUE(r.unlockedIDs.empty());
    r.totalCompanionSeconds = 600;
    r.refreshUnlocks(100);
    EXPECT_EQ(r.unlockedIDs, (std::set<std::string>{"firstSteps", "keyboardFriend"}));
    r.totalCompanionSeconds = 0;
    r.refreshUnlocks(0);
    EXPECT_EQ(r.unlockedIDs.size(), 2u);
}

TEST(CompanionUnlocks, oldFriendCountsDaysWithTimeOnly) {
    CompanionRecord r;
    r.dailyCompanionSeconds = {
        {"2026-03-01", 60}, {"2026-03-02", 60}, {"2026-03-03", 60}, {"2026-03-04", 60}, {"2026-03-05", 0}};
    r.refreshUnlocks(0);
    EXPECT_FALSE(r.unlockedIDs.count("oldFriend"));
    r.dailyCompanionSeconds["2026-03-05"] = 1;
    r.refreshUnlocks(0);
    EXPECT_TRUE(r.unlockedIDs.count("oldFriend"));
}

TEST(KeystrokeLedgerCoding, roundTripsAndNeedsBothKeys) {
    KeystrokeLedger ledger{{{"2026-03-07", 250}, {"2026-03-08", 3}}, 253};
    auto encoded = coding::encode(ledger.toJson());
    ASSERT_TRUE(encoded);
    EXPECT_EQ(text(*encoded), R"({"dailyCounts":{"2026-03-07":250,"2026-03-08":3},"allTimeCount":253})");
    EXPECT_EQ(KeystrokeLedger::fromJson(*coding::decode(*encoded)), ledger);

    EXPECT_FALSE(KeystrokeLedger::fromJson(Json::parse(R"({"dailyCounts":{}})")));
    EXPECT_FALSE(KeystrokeLedger::fromJson(Json::parse(R"({"allTimeCount":1})")));
    EXPECT_FALSE(KeystrokeLedger::fromJson(Json::parse(R"({"dailyCounts":{"d":"7"},"allTimeCount":1})")));
    EXPECT_FALSE(KeystrokeLedger::fromJson(Json::parse(R"({"dailyCounts":[],"allTimeCount":1})")));
    EXPECT_FALSE(KeystrokeLedger::fromJson(Json::parse(R"({"dailyCounts":{},"allTimeCount":1e300})")));
    EXPECT_EQ(
        KeystrokeLedger::fromJson(Json::parse(R"({"dailyCounts":{"d":7.0},"allTimeCount":7})"))->dailyCounts.at("d"),
        7);
}

TEST(JsonData, truncatedOrForeignDataIsNoDocument) {
    EXPECT_FALSE(coding::decode(data(R"({"dailyCounts":{)")));
    EXPECT_FALSE(coding::decode(data("")));
    EXPECT_FALSE(coding::decode(data("\xff\xfe")));
    EXPECT_FALSE(coding::decode(data(std::string(31000, '[') + std::string(31000, ']')))) << "nested past any record";
    EXPECT_TRUE(coding::decode(data("[]")));
    EXPECT_EQ(coding::decode(data(R"({"b":1,"a":2,"b":3})"))->dump(), R"({"b":3,"a":2})") << "a repeated key, in place";
}
