#include <gtest/gtest.h>

#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Animation;
using anim::Transform;
using model::PetActivity;

namespace {

// The walk's layers and their loop keys.
std::vector<std::pair<const anim::Layer*, const char*>> walkLoops(const PetViewLayers& L) {
    return {{L.actionLayer.get(), "travelGait"},
            {L.leftPaw.get(), "travelPaw"},
            {L.rightPaw.get(), "travelPaw"},
            {L.furEchoLayer.get(), "travelFur"}};
}

}  // namespace

TEST_F(PetViewTest, walkingLoopsTheGaitPawsAndFurOncePerStride) {
    view->setActivity(PetActivity::roaming);
    const double t0 = now(), stride = 0.3;
    view->startTravel(2.5, stride);
    for (const auto& [layer, key] : walkLoops(L())) {
        const auto* loop = layer->animation(key);
        ASSERT_NE(loop, nullptr) << key;
        EXPECT_EQ(loop->repeatCount, Animation::infinity) << key;
        for (double phase : {0.05, 0.15, 0.25})
            EXPECT_LT(distance(layer->presentation(t0 + phase).transform,
                               layer->presentation(t0 + 7 * stride + phase).transform),
                      1e-9)
                << key << ": once per stride";
    }

    // Half a stride in: one paw up while the other is down, the body at the top of its hop.
    const double half = t0 + 3 * stride + stride / 2;
    EXPECT_GT(L().leftPaw->presentation(half).transform.ty, 1);
    EXPECT_NEAR(L().rightPaw->presentation(half).transform.ty, 0, 1e-9);
    EXPECT_GT(L().actionLayer->presentation(half).transform.ty, 1);
    EXPECT_TRUE(view->isTravelling());
}

TEST_F(PetViewTest, aPuffMarksThePushOffAndIsGoneAfterIt) {
    const double t0 = now();
    view->startTravel(1, 0.3);
    EXPECT_EQ(L().effortLayer->opacity(), 1);
    ASSERT_NE(L().effortLayer->animation("effort"), nullptr);
    EXPECT_LT(L().effortLayer->presentation(t0 + 0.3).transform.tx, -1) << "thrown backward";
    EXPECT_GT(L().effortLayer->presentation(t0 + 0.05).opacity, L().effortLayer->presentation(t0 + 0.25).opacity)
        << "and fading";
    sim.loop.advance(1);
    EXPECT_EQ(L().effortLayer->opacity(), 0);
    EXPECT_TRUE(L().effortLayer->animationKeys().empty());

    // The view may be gone before the puff is hidden.
    {
        PetView brief(calmPet());
        brief.startTravel(1, 0.3);
    }
    sim.loop.advance(0.5);
}

TEST_F(PetViewTest, turningAroundMirrorsTheWalkAndOneStopEndsIt) {
    view->startTravel(1, 0.3);
    const Transform gaitRight = L().actionLayer->presentation(now() + 0.1).transform;
    settle();
    const Transform right = L().faceLayer->transform();
    EXPECT_GT(right.tx, 0) << "the face turns the way it walks";
    view->startTravel(-1, 0.3);
    EXPECT_TRUE(view->isTravelling());
    EXPECT_EQ(L().faceLayer->transform(), Transform::pose(-right.tx, right.ty, -right.rotation, right.sx, right.sy));
    const Transform gaitLeft = L().actionLayer->presentation(now() + 0.1).transform;
    EXPECT_NEAR(gaitLeft.tx, -gaitRight.tx, 1e-9);
    EXPECT_NEAR(gaitLeft.ty, gaitRight.ty, 1e-9);
    EXPECT_GT(L().effortLayer->presentation(now() + 0.3).transform.tx, 1) << "the puff flies the other way";

    view->stopTravel();
    EXPECT_FALSE(view->isTravelling());
    for (const auto& [layer, key] : walkLoops(L())) EXPECT_EQ(layer->animation(key), nullptr) << key;
    EXPECT_TRUE(L().faceLayer->transform().isIdentity());
    EXPECT_NE(L().faceLayer->animation("transform"), nullptr) << "the face eases back";
    EXPECT_EQ(L().effortLayer->opacity(), 0);
    ASSERT_NE(L().actionLayer->animation("travelBrake"), nullptr);
    expectSmoothMove(*L().actionLayer, now(), 1.0, L().actionLayer->presentation(now()).transform);
    ASSERT_NE(L().shadowLayer->animation("weightPulse"), nullptr) << "the shadow takes the weight";
}

TEST_F(PetViewTest, stoppingTwiceBrakesOnce) {
    view->startTravel(1, 0.3);
    view->stopTravel();
    settle();
    ASSERT_TRUE(L().actionLayer->animationKeys().empty());
    view->stopTravel();
    EXPECT_TRUE(L().actionLayer->animationKeys().empty()) << "no second brake";
    EXPECT_EQ(L().faceLayer->animation("transform"), nullptr) << "no face reset";
}

TEST_F(PetViewTest, underReduceMotionThePetGlidesInItsPose) {
    view->setHomeAttached(true, false);
    view->settleAtHome();
    settle();
    sim.accessibility.setReduceMotion(true);
    view->startTravel(-1, 0.3);
    EXPECT_FALSE(view->isTravelling());
    EXPECT_TRUE(view->isHomeAttached());
    EXPECT_TRUE(view->isGrippingHome());
    EXPECT_EQ(L().effortLayer->opacity(), 0);
    view->stopTravel();
    EXPECT_TRUE(L().actionLayer->animationKeys().empty());

    // Switched on mid-walk: the walk stops without a brake and the face comes back at once.
    sim.accessibility.setReduceMotion(false);
    view->startTravel(1, 0.3);
    sim.accessibility.setReduceMotion(true);
    view->stopTravel();
    EXPECT_EQ(L().actionLayer->animation("travelBrake"), nullptr);
    EXPECT_EQ(L().faceLayer->animation("transform"), nullptr);
}

TEST_F(PetViewTest, hidingAWalkingPetEndsTheWalkWithoutABrake) {
    view->startTravel(1, 0.3);
    view->setPresentationActive(false);
    EXPECT_FALSE(view->isTravelling());
    EXPECT_EQ(L().actionLayer->animation("travelBrake"), nullptr);
    EXPECT_EQ(L().shadowLayer->animation("weightPulse"), nullptr) << "no shadow pulse";
    EXPECT_EQ(L().effortLayer->opacity(), 0);
}
