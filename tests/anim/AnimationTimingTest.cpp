#include <gtest/gtest.h>

#include "anim/Animation.h"
#include "anim/Layer.h"
#include "platform/sim/SimPlatform.h"

using namespace anim;

namespace {

double at(const Animation& a, double localTime, double underlying = 0) {
    auto p = a.progressAt(localTime);
    return p ? std::get<double>(a.valueAt(*p, underlying)) : underlying;
}

Animation ramp(double duration) {
    return Animation::keyframes("opacity", {0.0, 1.0}, duration);
}

}  // namespace

TEST(TimingFunction, curvesMatchTheirCubicBeziers) {
    EXPECT_DOUBLE_EQ(TimingFunction::linear().valueAt(0.3), 0.3);
    EXPECT_NEAR(TimingFunction::easeIn().valueAt(0.5), 0.315357, 1e-5);
    EXPECT_NEAR(TimingFunction::easeOut().valueAt(0.5), 0.684643, 1e-5);
    EXPECT_NEAR(TimingFunction::easeInEaseOut().valueAt(0.25), 0.129162, 1e-5);
    EXPECT_NEAR(TimingFunction::easeInEaseOut().valueAt(0.5), 0.5, 1e-6);
    EXPECT_NEAR(TimingFunction::defaultCurve().valueAt(0.5), 0.802403, 1e-5);
    EXPECT_EQ(TimingFunction::easeIn().valueAt(-1), 0);
    EXPECT_EQ(TimingFunction::easeIn().valueAt(2), 1);
}

TEST(KeyframeTiming, keyTimesAndPerSegmentCurvesShapeEachSegment) {
    auto a = Animation::keyframes("opacity", {0.0, 10.0, 20.0}, 1.0).setKeyTimes({0, 0.2, 1});
    EXPECT_DOUBLE_EQ(at(a, 0.1), 5);
    EXPECT_DOUBLE_EQ(at(a, 0.6), 15);
    a.setTimingFunctions({TimingFunction::easeIn(), TimingFunction::linear()});
    EXPECT_NEAR(at(a, 0.1), 10 * 0.315357, 1e-4);
    EXPECT_DOUBLE_EQ(at(a, 0.6), 15);

    // Key times that do not match the values are ignored: values are spaced evenly.
    auto even = Animation::keyframes("opacity", {0.0, 10.0, 20.0}, 1.0).setKeyTimes({0, 1});
    EXPECT_DOUBLE_EQ(at(even, 0.25), 5);

    // One curve over the whole cycle is applied before the key times.
    auto whole =
        Animation::keyframes("opacity", {0.0, 1.0, 0.0}, 2.0).setTimingFunction(TimingFunction::easeInEaseOut());
    EXPECT_NEAR(at(whole, 0.5), 2 * 0.129162, 1e-4);
    EXPECT_NEAR(at(whole, 1.0), 1, 1e-9);
}

TEST(KeyframeTiming, repeatsAndAutoreversesWithinTheActiveDuration) {
    auto twice = ramp(1).setRepeatCount(2);
    EXPECT_DOUBLE_EQ(twice.activeDuration(), 2);
    EXPECT_DOUBLE_EQ(at(twice, 1.25), 0.25);
    EXPECT_FALSE(twice.progressAt(2.0)) << "gone once the last cycle ends";

    auto bounce = ramp(1).setAutoreverses(true);
    EXPECT_DOUBLE_EQ(bounce.activeDuration(), 2);
    EXPECT_DOUBLE_EQ(at(bounce, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(at(bounce, 1.25), 0.75);
    EXPECT_FALSE(bounce.progressAt(2.5));

    auto held = ramp(1).setRepeatCount(1.5).setFillMode(FillMode::forwards).setRemovedOnCompletion(false);
    EXPECT_DOUBLE_EQ(at(held, 9), 0.5) << "holds where the half cycle ended";
    auto heldReversed = ramp(1).setAutoreverses(true).setFillMode(FillMode::forwards).setRemovedOnCompletion(false);
    EXPECT_DOUBLE_EQ(at(heldReversed, 9), 0);
    auto removedAnyway = ramp(1).setFillMode(FillMode::forwards);
    EXPECT_FALSE(removedAnyway.progressAt(2)) << "forwards fill needs the animation to stay attached";
}

TEST(KeyframeTiming, beforeItsBeginTimeOnlyBackwardsFillShows) {
    auto a = Animation::keyframes("opacity", {0.3, 1.0}, 1.0);
    EXPECT_FALSE(a.progressAt(-0.5));
    a.setFillMode(FillMode::backwards);
    EXPECT_DOUBLE_EQ(at(a, -0.5, 1), 0.3);
    a.setFillMode(FillMode::both);
    EXPECT_DOUBLE_EQ(at(a, -0.5, 1), 0.3);
}

TEST(BasicAnimation, missingEndsComeFromTheUnderlyingValue) {
    auto fromOnly = Animation::basic("opacity", 0.0, std::nullopt, 1);
    EXPECT_DOUBLE_EQ(at(fromOnly, 0.5, 0.8), 0.4);
    auto toOnly = Animation::basic("opacity", std::nullopt, 1.0, 1);
    EXPECT_DOUBLE_EQ(at(toOnly, 0.5, 0.2), 0.6);
    auto by = Animation::basic("opacity", 0.2, std::nullopt, 1);
    by.byValue = 0.4;
    EXPECT_DOUBLE_EQ(at(by, 0.5, 0), 0.4);
}

TEST(LayerAnimations, aHeldAnimationKeepsItsEndValueAndAnAutoreverseTurnsWithoutAJump) {
    platform::sim::SimPlatform sim;
    auto layer = Layer::make();
    layer->setOpacity(0.5);
    layer->addAnimation(ramp(0.4).setFillMode(FillMode::forwards).setRemovedOnCompletion(false), "held");
    sim.loop.advance(3);
    ASSERT_NE(layer->animation("held"), nullptr);
    EXPECT_DOUBLE_EQ(layer->presentation(sim.loop.mediaTime()).opacity, 1) << "the end value, not the start";

    for (double duration : {0.4, 2.5}) {
        layer->addAnimation(ramp(duration).setAutoreverses(true), "there and back");
        const double start = sim.loop.mediaTime(), step = duration / 100;
        double last = 0, top = 0;
        for (double t = start; t < start + 2 * duration; t += step) {
            const double shown = layer->presentation(t).opacity;
            EXPECT_LE(std::abs(shown - last), 1.5 / 100) << duration << " s, at " << t - start;
            last = shown, top = std::max(top, shown);
        }
        EXPECT_NEAR(top, 1, 0.02) << duration << " s: all the way out";
        EXPECT_NEAR(last, 0, 0.02) << duration << " s: and all the way back";
        sim.loop.advance(2 * duration + 0.1);
    }
}

TEST(LayerAnimations, presentationFollowsBeginTimesAndRemovalOnCompletion) {
    platform::sim::SimPlatform sim;
    auto layer = Layer::make();
    layer->setOpacity(0.5);
    double now = sim.loop.mediaTime();

    layer->addAnimation(Animation::keyframes("opacity", {0.0, 0.2}, 1.0).setBeginTime(now + 2), "later");
    EXPECT_DOUBLE_EQ(layer->presentation(now + 1).opacity, 0.5) << "model value before the begin time";
    EXPECT_DOUBLE_EQ(layer->presentation(now + 2.5).opacity, 0.1) << "then the animation";
    EXPECT_FALSE(layer->isAnimating(now + 1));
    EXPECT_DOUBLE_EQ(layer->nextChangeTime(now + 1), now + 2);

    sim.loop.advance(3.5);
    EXPECT_EQ(layer->animation("later"), nullptr) << "removed once its active time has passed";
    EXPECT_DOUBLE_EQ(layer->presentation(now + 3.5).opacity, 0.5);
    EXPECT_EQ(layer->nextChangeTime(now + 3.5), Layer::never);

    layer->addAnimation(Animation::keyframes("opacity", {0.0, 1.0}, 1.0).setRepeatCount(Animation::infinity), "loop");
    sim.loop.advance(1000.25);
    ASSERT_NE(layer->animation("loop"), nullptr) << "an endless loop is never removed";
    EXPECT_NEAR(layer->presentation(sim.loop.mediaTime()).opacity, 0.25, 1e-6);
    EXPECT_TRUE(layer->isAnimating(sim.loop.mediaTime()));
}
