#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "anim/FramePacer.h"
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

TEST_F(VisibleChangeTest, aPacedPanelShowsEachMoveOnceAndStaysWithinAPixelOfTheTree) {
    // The owner's side of a pacer: it wakes when asked and paints what it is told to.
    struct Case {
        const char* name;
        std::function<void(Layer&)> animate;
        int lookEvery;  // extra looks in between, as gaze changes make them (0: none)
    };
    const Case cases[] = {
        {"breathing", [](Layer& l) {
             l.addAnimation(Animation::keyframes("transform",
                                                 {Transform::identity(), Transform::pose(0, 0.65, 0, 0.992, 1.018),
                                                  Transform::identity()},
                                                 3.2)
                                .setRepeatCount(Animation::infinity)
                                .setTimingFunction(TimingFunction::easeInEaseOut()),
                            "ambient");
         }, 0},
        {"breathing, looked at often", [](Layer& l) {
             l.addAnimation(Animation::keyframes("transform.translation.y", {0.0, 0.8, 0.0}, 2.5)
                                .setRepeatCount(Animation::infinity),
                            "ambient");
         }, 7},
        {"a hop", [](Layer& l) { l.addAnimation(Animation::keyframes("transform.translation.y", {0.0, 14.0, 0.0}, 0.6), "hop"); },
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        body->removeAllAnimations();
        c.animate(*body);
        std::optional<double> wake;
        std::vector<FrameSignature> shown;
        FramePacer pacer({.planFrame = [&](double at, double) { wake = at; },
                          .cancelFrame = [&] { wake.reset(); },
                          .paint = [&](double t) { shown.push_back(FrameSignature::capture(*root, t, 2)); },
                          .nextChange = [](std::optional<double>) {}});
        pacer.setFrameInterval(frame);
        const double start = now();
        pacer.refresh(*root, start, 2);
        int step = 0, sameAsBefore = 0, behind = 0;
        for (double t = start; t < start + 3.5; t += frame / 4, ++step) {
            const bool due = wake && t >= *wake;
            if (due) {
                wake.reset();
                pacer.frameCame();
            }
            const size_t before = shown.size();
            if (due || (c.lookEvery && step % c.lookEvery == 0)) pacer.refresh(*root, t, 2);
            if (shown.size() > before && before > 0) sameAsBefore += !shown.back().differsVisibly(shown[before - 1]);
            behind += FrameSignature::largestShift(*root, t, 2, shown.back()) >= 1.5;
        }
        EXPECT_GT(shown.size(), 3u);
        EXPECT_EQ(sameAsBefore, 0) << "a frame that looks like the one before";
        EXPECT_EQ(behind, 0) << "the panel fell behind the tree";
    }
}

TEST_F(VisibleChangeTest, aPacedStillTreeIsPaintedOnceAndNeverWokenFor) {
    std::optional<double> wake;
    int paints = 0;
    FramePacer pacer({.planFrame = [&](double at, double) { wake = at; },
                      .cancelFrame = [&] { wake.reset(); },
                      .paint = [&](double) { ++paints; },
                      .nextChange = [](std::optional<double>) {}});
    for (int look = 0; look < 5; ++look) pacer.refresh(*root, now() + look * frame, 1);
    EXPECT_EQ(paints, 1);
    EXPECT_FALSE(wake);
}
