#include <gtest/gtest.h>

#include "model/KeyboardReactions.h"
#include "model/TypingRhythm.h"

using namespace model;
using Style = KeyboardReactionStyle;

namespace {

double afterGap(double gap, double current) {
    return TypingRhythmEngine::intensity(platform::Date{0}, platform::Date{gap}, current);
}

}  // namespace

TEST(TypingRhythm, bandsIncludeTheirUpperBoundary) {
    const double c = 0.5;
    EXPECT_DOUBLE_EQ(TypingRhythmEngine::intensity(std::nullopt, platform::Date{5}, 0.9), 0.24);
    EXPECT_DOUBLE_EQ(afterGap(0.1, c), c + 0.28);
    EXPECT_DOUBLE_EQ(afterGap(0.1000001, c), c + 0.18);
    EXPECT_DOUBLE_EQ(afterGap(0.25, c), c + 0.18);
    EXPECT_DOUBLE_EQ(afterGap(0.2500001, c), c + 0.08);
    EXPECT_DOUBLE_EQ(afterGap(0.6, c), c + 0.08);
    EXPECT_DOUBLE_EQ(afterGap(0.6000001, c), c * 0.72);
    EXPECT_DOUBLE_EQ(afterGap(1.5, c), c * 0.72);
    EXPECT_DOUBLE_EQ(afterGap(1.5000001, c), 0.2);
    EXPECT_DOUBLE_EQ(afterGap(-30, c), c + 0.28) << "clock set back";
}

TEST(TypingRhythm, slowingDownKeepsAFloorAndEverythingStaysInRange) {
    EXPECT_DOUBLE_EQ(afterGap(1.0, 0.3), 0.24);
    EXPECT_DOUBLE_EQ(afterGap(0.05, 0.9), 1.0);
    EXPECT_DOUBLE_EQ(afterGap(0.5, -2.0), 0.16);
}

TEST(KeyboardReactionScheduler, enabledStylesTakeTurnsAfterThePreviousOne) {
    const KeyboardReactionSet defaults = keyboardReactionDefaults();
    EXPECT_EQ(KeyboardReactionScheduler::nextStyle(defaults, std::nullopt, 0), Style::bounce);
    EXPECT_EQ(KeyboardReactionScheduler::nextStyle(defaults, Style::bounce, 1), Style::paws);
    EXPECT_EQ(KeyboardReactionScheduler::nextStyle(defaults, Style::paws, 2), Style::fluff);
    EXPECT_EQ(KeyboardReactionScheduler::nextStyle(defaults, Style::fluff, 3), Style::bounce);

    const KeyboardReactionSet picked{Style::hop, Style::paws, Style::tilt, Style::showCount};
    EXPECT_EQ(KeyboardReactionScheduler::nextStyle(picked, Style::hop, 0), Style::paws) << "wraps in case order";
    EXPECT_EQ(KeyboardReactionScheduler::nextStyle(picked, Style::bounce, 4), Style::tilt)
        << "a previous style no longer enabled falls back to the sequence";
    EXPECT_EQ(KeyboardReactionScheduler::nextStyle(picked, std::nullopt, -5), Style::paws);
}

TEST(KeyboardReactionScheduler, countSignAloneUsesTheDefaultStylesAndOneStyleRepeats) {
    const KeyboardReactionSet countOnly{Style::showCount};
    EXPECT_EQ(KeyboardReactionScheduler::nextStyle(countOnly, Style::showCount, 0), Style::bounce);
    EXPECT_EQ(KeyboardReactionScheduler::nextStyle(countOnly, Style::bounce, 0), Style::paws);
    EXPECT_EQ(KeyboardReactionScheduler::nextStyle(countOnly, std::nullopt, 5), Style::fluff);

    for (int64_t sequence = 0; sequence < 4; ++sequence)
        EXPECT_EQ(KeyboardReactionScheduler::nextStyle({Style::blink, Style::showCount}, Style::blink, sequence),
                  Style::blink);
    EXPECT_EQ(KeyboardReactionScheduler::nextStyle({}, std::nullopt, 1), Style::paws);
}

TEST(DualPetKeyboardPlanner, petsTakeTurnsLeadingAndEveryThirdReactionTheOtherJoins) {
    const KeyboardReactionSet enabled{Style::bounce, Style::paws, Style::showCount};
    EXPECT_EQ(DualPetKeyboardPlanner::plan(2, enabled, Style::paws, 5),
              (std::vector<PetKeyboardReaction>{{1, Style::paws, 0.0, 1.0}, {0, Style::bounce, 0.16, 0.48}}));
    EXPECT_EQ(DualPetKeyboardPlanner::plan(2, enabled, Style::bounce, 4),
              (std::vector<PetKeyboardReaction>{{0, Style::bounce, 0.0, 1.0}}));
    EXPECT_EQ(DualPetKeyboardPlanner::plan(2, enabled, Style::bounce, 2),
              (std::vector<PetKeyboardReaction>{{0, Style::bounce, 0.0, 1.0}, {1, Style::paws, 0.16, 0.48}}));
    EXPECT_EQ(DualPetKeyboardPlanner::plan(1, enabled, Style::bounce, 5),
              (std::vector<PetKeyboardReaction>{{0, Style::bounce, 0.0, 1.0}}));
    EXPECT_EQ(DualPetKeyboardPlanner::plan(2, enabled, Style::bounce, -1),
              (std::vector<PetKeyboardReaction>{{0, Style::bounce, 0.0, 1.0}}));
}

TEST(DualPetKeyboardPlanner, joiningStyleIncludesTheCountSignAndFallsBackToTheLeadersStyle) {
    EXPECT_EQ(DualPetKeyboardPlanner::plan(2, {Style::hop, Style::showCount}, Style::hop, 2).at(1).style,
              Style::showCount);
    EXPECT_EQ(DualPetKeyboardPlanner::plan(2, {Style::tilt}, Style::tilt, 8).at(1).style, Style::tilt);
}
