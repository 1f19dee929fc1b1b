#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

#include "model/L10nTestSupport.h"
#include "model/PetModels.h"
#include "model/WellbeingModels.h"

using namespace model;

TEST(PetEnums, rawValuesMatchExactlyAndRoundTripForEveryCase) {
    EXPECT_EQ(fromRaw<PetActivity>("highFiving"), PetActivity::highFiving);
    EXPECT_EQ(fromRaw<PetActivity>("HighFiving"), std::nullopt);
    EXPECT_EQ(fromRaw<PetActivity>(""), std::nullopt);
    EXPECT_EQ(allCases<PetActivity>.size(), 27u);
    for (auto a : allCases<PetActivity>) EXPECT_EQ(fromRaw<PetActivity>(rawValue(a)), a);
    for (auto s : allCases<KeyboardReactionStyle>) EXPECT_EQ(fromRaw<KeyboardReactionStyle>(rawValue(s)), s);
    EXPECT_EQ(rawValue(DragStayDuration::short_), "short");
    EXPECT_EQ(fromRaw<DragStayDuration>("short"), DragStayDuration::short_);
}

TEST(PetEnums, integerRawValuesAcceptOnlyTheirCases) {
    EXPECT_EQ(fromRaw<PetClipKind>(0), PetClipKind::ambient);
    EXPECT_EQ(fromRaw<PetClipKind>(4), PetClipKind::directInteraction);
    EXPECT_EQ(fromRaw<PetClipKind>(5), std::nullopt);
    EXPECT_EQ(fromRaw<ReminderInterval>(40), std::nullopt);
    EXPECT_EQ(fromRaw<ReminderInterval>(45), ReminderInterval::fortyFive);
    EXPECT_DOUBLE_EQ(thresholdSeconds(ReminderInterval::threeHours), 10800);
}

TEST(PetEnums, defaultReactionsAreStoredSortedByRawValue) {
    EXPECT_EQ(sortedRawValues(keyboardReactionDefaults()),
              (std::vector<std::string>{"bounce", "fluff", "paws", "showCount"}));
}

TEST(PetCadence, tuningOutsideTheLimitsIsClampedBeforeItIsApplied) {
    auto natural = PetAnimationCadence::base(PetActivityLevel::natural);
    auto c = natural.adjusted(PetActivityTuning{0.1, 3.0, 1.0});
    EXPECT_EQ(c.sceneInterval, (ClosedRange{78, 142}));
    EXPECT_DOUBLE_EQ(c.relationshipInterval.lowerBound, 36.25);
    EXPECT_DOUBLE_EQ(c.relationshipInterval.upperBound, 57.5);
    EXPECT_EQ(c.roamDistance, (ClosedRange{75, 165}));
    EXPECT_DOUBLE_EQ(c.travelSpeed, 150);
    EXPECT_DOUBLE_EQ(c.windowWalkInterval, 96);
    for (auto level : allCases<PetActivityLevel>)
        EXPECT_EQ(PetAnimationCadence::base(level).adjusted(PetActivityTuning{}), PetAnimationCadence::base(level));
}

TEST(PetCadence, notANumberFactorActsAsNeutral) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto tuning = PetActivityTuning{nan, nan, std::numeric_limits<double>::infinity()}.clamped();
    EXPECT_EQ(tuning, (PetActivityTuning{1.0, 1.0, 1.6}));
    auto c = PetAnimationCadence::base(PetActivityLevel::lively).adjusted(PetActivityTuning{nan, 1, 1});
    EXPECT_EQ(c.sceneInterval, PetAnimationCadence::base(PetActivityLevel::lively).sceneInterval);
}

TEST(PetTuningCoding, decodingNeedsAllThreeNumbersAndDoesNotClamp) {
    auto decoded = PetActivityTuning::fromJson(
        Json::parse(R"({"sceneFrequency": 0.2, "interactionFrequency": 1, "travelDistance": 9.0})"));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, (PetActivityTuning{0.2, 1.0, 9.0}));
    EXPECT_FALSE(PetActivityTuning::fromJson(Json::parse(R"({"sceneFrequency": 1, "interactionFrequency": 1})")));
    EXPECT_FALSE(PetActivityTuning::fromJson(
        Json::parse(R"({"sceneFrequency": true, "interactionFrequency": 1, "travelDistance": 1})")));
    EXPECT_FALSE(PetActivityTuning::fromJson(
        Json::parse(R"({"sceneFrequency": "1", "interactionFrequency": 1, "travelDistance": 1})")));
    EXPECT_EQ(PetActivityTuning::fromJson(PetActivityTuning{0.5, 1.25, 1.6}.toJson()),
              (PetActivityTuning{0.5, 1.25, 1.6}));
}

TEST(PetProfiles, defaultNameOfAnIndexThatNamesNoPetIsEmpty) {
    model::testing::LanguageChoiceReset reset;
    model::testing::TemporaryBundle bundle({{"en", R"({"栗栗": "Chestnut", "丸丸": "Dumpling"})"}});
    L10n::setAppLanguageChoice(AppLanguageChoice::english);
    auto profiles = PetProfile::profiles();
    EXPECT_EQ(profiles[0], (PetProfile{0, "Chestnut", true}));
    EXPECT_EQ(profiles[1], (PetProfile{1, "Dumpling", false}));
    EXPECT_EQ(defaultPetName(2), "");
    EXPECT_EQ(defaultPetName(-1), "");
}
