#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "anim/EmitterLayer.h"
#include "platform/sim/SimPlatform.h"

using namespace anim;

namespace {

std::shared_ptr<EmitterLayer> sparkles(uint32_t seed) {
    EmitterCell cell;
    cell.birthRate = 10;
    cell.lifetime = 0.8;
    cell.velocity = 28;
    cell.velocityRange = 18;
    cell.emissionRange = 2 * std::numbers::pi;
    cell.scale = 0.13;
    cell.scaleRange = 0.06;
    cell.alphaSpeed = -1.1;
    auto e = EmitterLayer::make();
    e->setSeed(seed);
    e->setEmitterShape(EmitterShape::circle);
    e->setEmitterSize({32, 32});
    e->setEmitterPosition({26, 26});
    e->setBirthRate(0);
    e->setEmitterCells({cell});
    return e;
}

}  // namespace

TEST(EmitterLayer, theSameSeedAndHistoryGiveTheSameParticles) {
    platform::sim::SimPlatform sim;
    auto a = sparkles(7), b = sparkles(7), c = sparkles(8);
    for (auto& e : {a, b, c}) e->setBirthRate(1);
    double t = sim.loop.mediaTime() + 0.55;
    auto pa = a->particles(t), pb = b->particles(t), pc = c->particles(t);
    ASSERT_EQ(pa.size(), 6u) << "born at 0, 0.1 ... 0.5 s";
    ASSERT_EQ(pa.size(), pb.size());
    bool anyDiffers = false;
    for (size_t i = 0; i < pa.size(); ++i) {
        EXPECT_EQ(pa[i].position, pb[i].position);
        EXPECT_EQ(pa[i].scale, pb[i].scale);
        anyDiffers |= pa[i].position != pc[i].position;
        double age = 0.55 - 0.1 * double(i);
        // Within the circle plus the fastest flight, fading by the alpha speed.
        double reach = std::hypot(pa[i].position.x - 26, pa[i].position.y - 26);
        EXPECT_LE(reach, 16 + 46 * age + 1e-9);
        EXPECT_NEAR(pa[i].alpha, 1 - 1.1 * age, 1e-9);
        EXPECT_GE(pa[i].scale, 0.07 - 1e-12);
        EXPECT_LE(pa[i].scale, 0.19 + 1e-12);
    }
    EXPECT_TRUE(anyDiffers) << "another seed scatters differently";
}

TEST(EmitterLayer, switchingOffLetsTheLivingParticlesPlayOut) {
    platform::sim::SimPlatform sim;
    auto e = sparkles(3);
    double t0 = sim.loop.mediaTime();
    EXPECT_FALSE(e->isAnimating(t0));
    e->setBirthRate(1);
    sim.loop.advance(2.05);
    auto before = e->particles(sim.loop.mediaTime());
    EXPECT_EQ(before.size(), 8u) << "rate times lifetime";
    e->setBirthRate(0);
    EXPECT_EQ(e->particles(sim.loop.mediaTime()).size(), 8u);
    EXPECT_TRUE(e->isAnimating(sim.loop.mediaTime() + 0.5));
    EXPECT_TRUE(e->particles(sim.loop.mediaTime() + 0.85).empty());
    EXPECT_FALSE(e->isAnimating(sim.loop.mediaTime() + 0.85));
    EXPECT_EQ(e->nextChangeTime(sim.loop.mediaTime() + 0.85), Layer::never);
}
