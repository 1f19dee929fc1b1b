#include <gtest/gtest.h>

#include <cmath>

#include "anim/ShapeLayer.h"
#include "anim/Transaction.h"
#include "anim/VisibleChange.h"
#include "platform/sim/SimPlatform.h"

using namespace anim;

namespace {

constexpr double frame = 1.0 / 60;

struct VisibleChangeTest : ::testing::Test {
    platform::sim::SimPlatform sim;
    std::shared_ptr<Layer> root = Layer::make();
    std::shared_ptr<Layer> body = Layer::make();
    std::shared_ptr<ShapeLayer> fur = ShapeLayer::make();

    VisibleChangeTest() {
        Transaction::withoutActions([&] {
            root->setFrame({0, 0, 52, 52});
            body->setFrame({0, 0, 52, 52});
            fur->setPath(Path::ellipse({2, 2, 48, 48}));
            root->addSublayer(body);
            body->addSublayer(fur);
        });
    }
    double now() { return sim.loop.mediaTime(); }
};

}  // namespace

TEST_F(VisibleChangeTest, aStillTreeNeedsNoFrameUntilItChanges) {
    auto painted = FrameSignature::capture(*root, now(), 2);
    EXPECT_FALSE(nextVisibleChange(*root, painted, now(), 2, frame));
    fur->setFillColor(Color::white(0.1));
    EXPECT_TRUE(FrameSignature::capture(*root, now(), 2).differsVisibly(painted));
}

TEST_F(VisibleChangeTest, slowBreathingRepaintsOnlyWhenAnEdgeMovesHalfAPixel) {
    auto breathe =
        Animation::keyframes(
            "transform", {Transform::identity(), Transform::pose(0, 0.65, 0, 0.992, 1.018), Transform::identity()}, 3.2)
            .setRepeatCount(Animation::infinity)
            .setTimingFunction(TimingFunction::easeInEaseOut());
    body->addAnimation(breathe, "ambient");
    double t = now();
    auto painted = FrameSignature::capture(*root, t, 1);
    int frames = 0;
    for (int i = 0; i < 20; ++i) {
        auto next = nextVisibleChange(*root, painted, t, 1, frame);
        ASSERT_TRUE(next);
        EXPECT_GT(*next, t + 1.5 * frame) << "no frame for a move under half a pixel";
        t = *next;
        painted = FrameSignature::capture(*root, t, 1);
        ++frames;
        if (t > now() + 3.2) break;
    }
    EXPECT_LT(frames, 20) << "a whole breath takes well under 20 frames at 1x";
}

TEST_F(VisibleChangeTest, comparingWhileWalkingAgreesWithAFullCapture) {
    body->addAnimation(Animation::keyframes("transform.translation.y", {0.0, 3.0}, 1), "rise");
    const double t = now();
    const auto painted = FrameSignature::capture(*root, t, 2);
    for (double dt = 0; dt < 1.1; dt += 0.01)
        EXPECT_EQ(FrameSignature::differsVisibly(*root, t + dt, 2, painted),
                  FrameSignature::capture(*root, t + dt, 2).differsVisibly(painted))
            << dt;
    auto extra = ShapeLayer::make();
    extra->setPath(Path::ellipse({0, 0, 4, 4}));
    extra->setFillColor(Color::white(1));
    body->addSublayer(extra);
    EXPECT_TRUE(FrameSignature::differsVisibly(*root, t, 2, painted)) << "one layer more";
    extra->removeFromSuperlayer();
    fur->setHidden(true);
    EXPECT_TRUE(FrameSignature::differsVisibly(*root, t, 2, painted)) << "one layer fewer";
}

TEST_F(VisibleChangeTest, largestShiftMeasuresTheFarthestEdgeAndOnlyMotion) {
    const double t = now();
    const auto painted = FrameSignature::capture(*root, t, 2);
    EXPECT_EQ(FrameSignature::largestShift(*root, t, 2, painted), 0);
    Transaction::withoutActions([&] { fur->setPosition({fur->position().x + 0.3, fur->position().y + 0.4}); });
    EXPECT_NEAR(FrameSignature::largestShift(*root, t, 2, painted), 1.0, 1e-9) << "half a point at 2x";
    Transaction::withoutActions([&] { body->setTransform(Transform::pose(0, 0, 0.1, 1, 1)); });
    EXPECT_GT(FrameSignature::largestShift(*root, t, 2, painted), 4) << "a turn moves the far corners most";
    Transaction::withoutActions([&] {
        body->setTransform(Transform::identity());
        fur->setOpacity(0.5);
    });
    EXPECT_TRUE(std::isinf(FrameSignature::largestShift(*root, t, 2, painted))) << "a fade is no motion";
}

TEST_F(VisibleChangeTest, aDelayedAnimationWakesTheTreeAtItsBeginTime) {
    fur->addAnimation(Animation::keyframes("opacity", {1.0, 0.0}, 0.5).setBeginTime(now() + 5), "fade");
    auto painted = FrameSignature::capture(*root, now(), 2);
    auto next = nextVisibleChange(*root, painted, now(), 2, frame, 1.0);
    ASSERT_TRUE(next);
    EXPECT_NEAR(*next, now() + 5, 1e-9) << "sleeps until the begin time, past the horizon";
    next = nextVisibleChange(*root, painted, now() + 5, 2, frame);
    ASSERT_TRUE(next);
    EXPECT_NEAR(*next, now() + 5 + frame, 1e-9) << "the first opacity step shows at once";
}

TEST_F(VisibleChangeTest, anOpacityChangeBelowOneStepIsNotAChange) {
    auto painted = FrameSignature::capture(*root, now(), 2);
    Transaction::withoutActions([&] { fur->setOpacity(0.999); });
    EXPECT_FALSE(FrameSignature::capture(*root, now(), 2).differsVisibly(painted));
    Transaction::withoutActions([&] { fur->setOpacity(0.99); });
    EXPECT_TRUE(FrameSignature::capture(*root, now(), 2).differsVisibly(painted));
}
