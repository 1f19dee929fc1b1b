#include <gtest/gtest.h>

#include "model/L10n.h"
#include "model/L10nTestSupport.h"
#include "model/PetCountSign.h"

using namespace model;

namespace {
std::string en(int64_t n) {
    return PetCountSign::labelInLanguage(n, "en");
}
std::string zh(int64_t n) {
    return PetCountSign::labelInLanguage(n, "zh-Hans");
}
}  // namespace

TEST(PetCountSign, smallAndNegativeCountsShowTheirDigits) {
    EXPECT_EQ(en(-5), "0");
    EXPECT_EQ(zh(0), "0");
    EXPECT_EQ(en(9999), "9999");
    EXPECT_EQ(zh(9999), "9999");
}

TEST(PetCountSign, aroundTenThousand) {
    EXPECT_EQ(en(10000), "10.0K");
    EXPECT_EQ(zh(10000), "1.0万");
    EXPECT_EQ(en(12345), "12.3K");
    EXPECT_EQ(zh(12345), "1.2万");
}

TEST(PetCountSign, justBelowAHundredThousandNeverShowsTheNextStep) {
    EXPECT_EQ(en(99949), "99.9K");
    EXPECT_EQ(en(99950), "99.9K");
    EXPECT_EQ(en(99999), "99.9K");
    EXPECT_EQ(zh(99499), "9.9万");
    EXPECT_EQ(zh(99999), "9.9万");
    EXPECT_EQ(en(100000), "100K");
    EXPECT_EQ(zh(100000), "10万");
}

TEST(PetCountSign, largeCountsDropTheDecimalOrMoveToMillions) {
    EXPECT_EQ(en(123456), "123K");
    EXPECT_EQ(zh(123456), "12万");
    EXPECT_EQ(en(999999), "999K");
    EXPECT_EQ(en(1000000), "1.0M");
    EXPECT_EQ(en(2500000), "2.5M");
    EXPECT_EQ(zh(2500000), "250万");
    EXPECT_EQ(PetCountSign::labelInLanguage(12345, "fr"), "12.3K");
}

TEST(PetCountSign, labelFollowsTheInterfaceLanguage) {
    model::testing::LanguageChoiceReset reset;
    L10n::setAppLanguageChoice(AppLanguageChoice::simplifiedChinese);
    EXPECT_EQ(PetCountSign::label(12345), "1.2万");
    L10n::setAppLanguageChoice(AppLanguageChoice::english);
    EXPECT_EQ(PetCountSign::label(12345), "12.3K");
}
