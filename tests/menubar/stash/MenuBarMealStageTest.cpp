#include <gtest/gtest.h>

#include <vector>

#include "menubar/stash/MenuBarMealStage.h"
#include "platform/sim/SimPlatform.h"

using menubar::stash::MenuBarMealStage;

namespace {

struct Shot {
    double visible;
    bool collapsed;
    double mouth;
};

// What the stage shows at each change while the virtual clock runs on.
struct Recorder {
    platform::sim::SimPlatform sim;
    MenuBarMealStage stage;
    std::vector<Shot> shots;
    std::vector<double> times;

    explicit Recorder(bool collapsed) : stage(collapsed) {
        stage.onChange = [this] {
            const auto f = stage.frame();
            shots.push_back({f.visibleFraction, f.stageCollapsed, f.mouth});
            times.push_back(sim.loop.mediaTime());
        };
    }
};

}  // namespace

TEST(MenuBarMealStage, expandedStageEatsThenSpitsFrameByFrameAndReturnsToItsState) {
    Recorder r(false);
    r.stage.playDemo();
    r.sim.loop.advance(10);
    ASSERT_EQ(r.shots.size(), 13u);  // six frames a phase, then back to the given state
    const double eaten[] = {1, 0.8, 0.6, 0.4, 0.2, 0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(r.shots[i].visible, eaten[i], 1e-9) << i;
        EXPECT_NEAR(r.shots[i + 6].visible, 1 - eaten[i], 1e-9) << i;
        // Only the fully eaten frame reads as stashed.
        EXPECT_EQ(r.shots[i].collapsed, i == 5) << i;
    }
    // The mouth is shut at both ends of a phase and widest in the middle.
    const double mouths[] = {0, 0.54, 0.875, 0.875, 0.54, 0};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(r.shots[i].mouth, mouths[i], 0.01) << i;
    // Frames a little over a tenth of a second apart, a pause between phases, about 2.2 s in all.
    EXPECT_NEAR(r.times[1] - r.times[0], 0.115, 1e-6);
    EXPECT_GT(r.times[6] - r.times[5], 0.5);
    EXPECT_NEAR(r.times.back() - r.times.front(), 2.24, 1e-6);
    EXPECT_FALSE(r.stage.demoProgress());
    EXPECT_FALSE(r.shots.back().collapsed);
    EXPECT_EQ(r.shots.back().mouth, 0);
}

TEST(MenuBarMealStage, stashedStageSpitsFirstAndStaysSlightlyOpenWhenIdle) {
    Recorder r(true);
    EXPECT_NEAR(r.stage.frame().mouth, 0.12, 1e-9);
    r.stage.playDemo();
    r.sim.loop.advance(0.2);
    EXPECT_TRUE(r.stage.demoSpitting());
    EXPECT_NEAR(r.shots[1].visible, 0.2, 1e-9);
}

TEST(MenuBarMealStage, playingAgainRestartsFromTheFirstPhaseAndDropsTheOldSteps) {
    Recorder r(false);
    r.stage.playDemo();
    r.sim.loop.advance(1.5);  // into the second phase
    ASSERT_TRUE(r.stage.demoSpitting());
    r.shots.clear();
    r.stage.playDemo();
    EXPECT_FALSE(r.stage.demoSpitting());
    r.sim.loop.advance(10);
    EXPECT_EQ(r.shots.size(), 13u);
}

TEST(MenuBarMealStage, reduceMotionRunsWithoutPausesAndEndsAtTheGivenState) {
    Recorder r(false);
    r.stage.setReduceMotion(true);
    r.stage.playDemo();
    EXPECT_FALSE(r.stage.demoProgress());
    EXPECT_EQ(r.stage.frame().visibleFraction, 1);
    EXPECT_EQ(r.sim.loop.mediaTime(), r.times.front());
}

TEST(MenuBarMealStage, aPreviewFrameWinsOverTheDemonstration) {
    platform::sim::SimPlatform sim;
    MenuBarMealStage stage(false, 0.5, true);
    stage.playDemo();
    sim.loop.advance(0.3);
    const auto f = stage.frame();
    EXPECT_EQ(f.visibleFraction, 0.5);
    EXPECT_TRUE(f.dividerSpitting);
    EXPECT_NEAR(f.mouth, 0.92, 1e-9);
}

TEST(MenuBarMealStage, aCancelledDemonstrationTakesNoFurtherStep) {
    Recorder r(false);
    r.stage.playDemo();
    r.sim.loop.advance(0.2);
    const auto before = r.shots.size();
    r.stage.cancelDemo();
    r.sim.loop.advance(10);
    EXPECT_EQ(r.shots.size(), before);
}
