#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/PetMotionRules.h"

using namespace model;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const Size pet{52, 52};
const Rect screen{0, 0, 1440, 900};
}  // namespace

TEST(CursorAttentionEngine, farCursorsAndIneligiblePetsStayNeutral) {
    const auto neutral = CursorAttentionPose::neutral();
    EXPECT_EQ(CursorAttentionEngine::pose({250, 0}, PetActivity::home), neutral);
    EXPECT_EQ(CursorAttentionEngine::pose({0, 200}, PetActivity::home), neutral);
    EXPECT_EQ(CursorAttentionEngine::pose({10, 0}, PetActivity::sleeping), neutral);
    EXPECT_EQ(CursorAttentionEngine::pose({kNaN, 0}, PetActivity::idle), neutral);
    EXPECT_EQ(CursorAttentionEngine::pose({kInf, -kInf}, PetActivity::idle), neutral);
    EXPECT_FLOAT_EQ(neutral.furEchoOpacity, 0.16f);
    EXPECT_TRUE(CursorAttentionEngine::isEligible(PetActivity::perched));
    EXPECT_FALSE(CursorAttentionEngine::isEligible(PetActivity::dragged));
}

TEST(CursorAttentionEngine, leanGrowsToFullStrengthAtFiftyPoints) {
    const auto full = CursorAttentionEngine::pose({30, 40}, PetActivity::peeking);
    EXPECT_DOUBLE_EQ(full.strength, 1);
    EXPECT_DOUBLE_EQ(full.offsetX, 2.4 * 0.6);
    EXPECT_DOUBLE_EQ(full.offsetY, 1.7 * 0.8);
    EXPECT_DOUBLE_EQ(full.rotation, 0.045 * 0.6);
    EXPECT_DOUBLE_EQ(full.scaleX, 1 + 0.018 * 0.6);
    EXPECT_DOUBLE_EQ(full.scaleY, 1 + 0.014 * 0.8);
    EXPECT_FLOAT_EQ(full.furEchoOpacity, 0.26f);

    EXPECT_DOUBLE_EQ(CursorAttentionEngine::pose({0, -10}, PetActivity::home).strength, 1);
    const auto half = CursorAttentionEngine::pose({-125, 0}, PetActivity::home);
    EXPECT_DOUBLE_EQ(half.strength, 0.5);
    EXPECT_DOUBLE_EQ(half.offsetX, -1.2);
    EXPECT_DOUBLE_EQ(half.rotation, -0.0225);
    EXPECT_DOUBLE_EQ(half.scaleY, 1);
}

TEST(CursorAttentionEngine, cursorOnTheCentreAttendsWithoutLeaning) {
    const auto pose = CursorAttentionEngine::pose({0, 0}, PetActivity::idle);
    EXPECT_DOUBLE_EQ(pose.strength, 1);
    EXPECT_DOUBLE_EQ(pose.offsetX, 0);
    EXPECT_DOUBLE_EQ(pose.offsetY, 0);
    EXPECT_DOUBLE_EQ(pose.scaleX, 1);
}

TEST(PetTravelInterpolation, endsAndOutOfRangeProgressPinToFromAndTo) {
    const Point from{10, 20}, to{110, -80};
    EXPECT_EQ(PetTravelInterpolation::position(from, to, 0), from);
    EXPECT_EQ(PetTravelInterpolation::position(from, to, -0.5), from);
    EXPECT_EQ(PetTravelInterpolation::position(from, to, kNaN), from);
    EXPECT_EQ(PetTravelInterpolation::position(from, to, -kInf), from);
    EXPECT_EQ(PetTravelInterpolation::position(from, to, 1), to);
    EXPECT_EQ(PetTravelInterpolation::position(from, to, 3), to);
    EXPECT_EQ(PetTravelInterpolation::position(from, to, kInf), to);
    const auto mid = PetTravelInterpolation::position(from, to, 0.5);
    EXPECT_DOUBLE_EQ(mid.x, 60);
    EXPECT_DOUBLE_EQ(mid.y, -30);
}

TEST(PetTravelInterpolation, piecesMeetAndNeverStepBack) {
    EXPECT_NEAR(PetTravelInterpolation::easedProgress(0.15), 0.0882, 1e-4);
    EXPECT_NEAR(PetTravelInterpolation::easedProgress(0.85), 0.9118, 1e-4);
    for (double seam : {0.15, 0.85})
        EXPECT_NEAR(PetTravelInterpolation::easedProgress(std::nextafter(seam, 0.0)),
                    PetTravelInterpolation::easedProgress(std::nextafter(seam, 1.0)), 1e-9);
    EXPECT_NEAR(PetTravelInterpolation::easedProgress(std::nextafter(1.0, 0.0)), 1, 1e-9);
    double previous = 0;
    for (int i = 0; i <= 1000; ++i) {
        const double e = PetTravelInterpolation::easedProgress(i / 1000.0);
        EXPECT_GE(e, previous);
        previous = e;
    }
}

TEST(PetDragPhysics, perchesOnEachEdgeWithThirtyPointsShowing) {
    auto left = PetDragPhysics::edgePerch({5, 300}, pet, {screen}, 18, 40);
    ASSERT_TRUE(left);
    EXPECT_EQ(*left, (ScreenEdgePerch{HomeEdge::left, {-22, 300}, {24, 300}, {-53, 300}, 22}));

    auto right = PetDragPhysics::edgePerch({1380, 500}, pet, {screen}, 18, 40);
    ASSERT_TRUE(right);
    EXPECT_EQ(*right, (ScreenEdgePerch{HomeEdge::right, {1410, 500}, {1364, 500}, {1441, 500}, 30}));

    auto bottom = PetDragPhysics::edgePerch({700, 3}, pet, {screen}, 18, 40);
    ASSERT_TRUE(bottom);
    EXPECT_EQ(*bottom, (ScreenEdgePerch{HomeEdge::bottom, {700, -22}, {700, 24}, {700, -53}, 22}));

    auto top = PetDragPhysics::edgePerch({700, 845}, pet, {screen}, 18, 40);
    ASSERT_TRUE(top);
    EXPECT_EQ(*top, (ScreenEdgePerch{HomeEdge::top, {700, 882}, {700, 824}, {700, 901}, 18}));
}

TEST(PetDragPhysics, noFrameOrEveryGapBeyondTheThresholdMeansNoPerch) {
    EXPECT_EQ(PetDragPhysics::edgePerch({5, 300}, pet, {}, 18, 40), std::nullopt);
    EXPECT_EQ(PetDragPhysics::edgePerch({700, 400}, pet, {screen}, 18, 40), std::nullopt);
    // The threshold itself still perches.
    EXPECT_TRUE(PetDragPhysics::edgePerch({10, 300}, pet, {screen}, 18, 10));
    EXPECT_EQ(PetDragPhysics::edgePerch({10, 300}, pet, {screen}, 18, 9.999), std::nullopt);
}

TEST(PetDragPhysics, equalGapsPreferLeftThenRightThenBottom) {
    EXPECT_EQ(PetDragPhysics::edgePerch({4, 4}, pet, {screen}, 18, 40)->edge, HomeEdge::left);
    const Rect narrow{0, 0, 60, 900};
    EXPECT_EQ(PetDragPhysics::edgePerch({4, 400}, pet, {narrow}, 18, 40)->edge, HomeEdge::left);
    const Rect low{0, 0, 1440, 60};
    EXPECT_EQ(PetDragPhysics::edgePerch({700, 4}, pet, {low}, 18, 40)->edge, HomeEdge::bottom);
    EXPECT_EQ(PetDragPhysics::edgePerch({1384, 4}, pet, {screen}, 18, 40)->edge, HomeEdge::right);
}

TEST(PetDragPhysics, perchKeepsClearOfTheFrameEnds) {
    auto nearCorner = PetDragPhysics::edgePerch({2, 880}, pet, {screen}, 18, 40);
    ASSERT_TRUE(nearCorner);
    EXPECT_EQ(nearCorner->edge, HomeEdge::left);
    EXPECT_DOUBLE_EQ(nearCorner->origin.y, 840);
    EXPECT_DOUBLE_EQ(nearCorner->approachOrigin.y, 824);
    EXPECT_DOUBLE_EQ(nearCorner->hiddenOrigin.y, 840);

    // A pet wider than its screen sits at the screen's start rather than past its end.
    auto wide = PetDragPhysics::edgePerch({-20, 2}, Size{150, 40}, {Rect{0, 0, 100, 100}}, 18, 40);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->edge, HomeEdge::bottom);
    EXPECT_EQ(wide->origin, (Point{8, -10}));
    EXPECT_EQ(wide->approachOrigin, (Point{24, 24}));
}

TEST(PetDragPhysics, nearestScreenWinsAndTheEarlierOneOnATie) {
    const Rect second{1440, 0, 1920, 1080};
    auto onSecond = PetDragPhysics::edgePerch({2000, 1050}, pet, {screen, second}, 18, 40);
    ASSERT_TRUE(onSecond);
    EXPECT_EQ(onSecond->edge, HomeEdge::top);
    EXPECT_DOUBLE_EQ(onSecond->origin.y, 1080 - 18);

    // The centre lies in both frames: the one listed first decides the edge.
    const Rect small{0, 0, 100, 100}, large{0, 0, 200, 200};
    EXPECT_EQ(PetDragPhysics::edgePerch({70, 40}, Size{20, 20}, {small, large}, 18, 200)->edge, HomeEdge::right);
    EXPECT_EQ(PetDragPhysics::edgePerch({70, 40}, Size{20, 20}, {large, small}, 18, 200)->edge, HomeEdge::bottom);
}

TEST(PetDragPhysics, brokenNumbersNeverPerchAtNaN) {
    EXPECT_EQ(PetDragPhysics::edgePerch({kNaN, 300}, pet, {screen}, 18, 40), std::nullopt);
    EXPECT_EQ(PetDragPhysics::edgePerch({5, 300}, Size{kNaN, 52}, {screen}, 18, 40), std::nullopt);
    EXPECT_EQ(PetDragPhysics::edgePerch({5, 300}, pet, {screen}, 18, kNaN), std::nullopt);
    EXPECT_EQ(PetDragPhysics::edgePerch({700, 845}, pet, {screen}, kInf, 40), std::nullopt);
    // A broken or empty frame listed first is passed over, not chosen.
    auto perch = PetDragPhysics::edgePerch({5, 300}, pet, {Rect{kNaN, 0, 10, 10}, Rect{0, 0, 0, 0}, screen}, 18, 40);
    ASSERT_TRUE(perch);
    EXPECT_EQ(perch->origin, (Point{-22, 300}));
}
