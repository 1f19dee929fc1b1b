#include <gtest/gtest.h>

#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Animation;
using anim::Transform;
using model::PetActivity;

namespace {

const Transform& keyframe(const anim::Layer& layer, const std::string& key, size_t i) {
    return std::get<Transform>(layer.animation(key)->values.at(i));
}

}  // namespace

TEST_F(PetViewTest, walkingLoopsTheGaitPawsAndFurOncePerStride) {
    view->setActivity(PetActivity::roaming);
    view->startTravel(2.5, 0.3);
    const auto* gait = L().actionLayer->animation("travelGait");
    ASSERT_NE(gait, nullptr);
    EXPECT_EQ(gait->duration, 0.3);
    EXPECT_EQ(gait->repeatCount, Animation::infinity);
    EXPECT_EQ(keyframe(*L().actionLayer, "travelGait", 1), Transform::pose(1.8, 2.8, 0.065, 0.94, 1.09));
    for (const anim::Layer* layer : {L().leftPaw.get(), L().rightPaw.get()}) {
        ASSERT_NE(layer->animation("travelPaw"), nullptr);
        EXPECT_EQ(layer->animation("travelPaw")->duration, 0.3);
        EXPECT_EQ(layer->animation("travelPaw")->repeatCount, Animation::infinity);
    }
    EXPECT_EQ(L().furEchoLayer->animation("travelFur")->repeatCount, Animation::infinity);

    // Half a stride in: the left paw is up while the right one is down, and the body is at the
    // top of its hop; so on, stride after stride.
    sim.loop.advance(3 * 0.3 + 0.15);
    EXPECT_NEAR(L().leftPaw->presentation(now()).transform.ty, 3.5, 1e-9);
    EXPECT_NEAR(L().rightPaw->presentation(now()).transform.ty, 0, 1e-9);
    EXPECT_NEAR(L().actionLayer->presentation(now()).transform.ty, 2.8, 1e-9);
    EXPECT_TRUE(view->isTravelling());
}

TEST_F(PetViewTest, aPuffMarksThePushOffAndIsGoneAfterIt) {
    view->startTravel(1, 0.3);
    EXPECT_EQ(L().effortLayer->opacity(), 1);
    const auto* puff = L().effortLayer->animation("effort");
    ASSERT_NE(puff, nullptr);
    EXPECT_EQ(puff->duration, 0.32);
    EXPECT_EQ(keyframe(*L().effortLayer, "effort", 2), Transform::pose(-8, 0, 0, 1.4, 0.65)) << "thrown backward";
    EXPECT_NEAR(L().effortLayer->presentation(now() + 0.16).opacity, 0.35, 1e-9) << "fading from 0.7";
    sim.loop.advance(0.35);
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
    view->startTravel(-1, 0.21);
    EXPECT_TRUE(view->isTravelling());
    EXPECT_EQ(L().faceLayer->transform(), Transform::pose(-5.2, 0, 0.07, 0.82, 1));
    EXPECT_EQ(keyframe(*L().actionLayer, "travelGait", 0), Transform::pose(1.3, 0, 0.035, 1.07, 0.92));
    EXPECT_EQ(L().actionLayer->animation("travelGait")->duration, 0.21);
    EXPECT_EQ(std::get<double>(L().furEchoLayer->animation("travelFur")->values[1]), 1.5);
    EXPECT_EQ(keyframe(*L().effortLayer, "effort", 2).tx, 8);

    view->stopTravel();
    EXPECT_FALSE(view->isTravelling());
    for (const auto& [layer, key] :
         std::vector<std::pair<const anim::Layer*, const char*>>{{L().actionLayer.get(), "travelGait"},
                                                                 {L().leftPaw.get(), "travelPaw"},
                                                                 {L().rightPaw.get(), "travelPaw"},
                                                                 {L().furEchoLayer.get(), "travelFur"}})
        EXPECT_EQ(layer->animation(key), nullptr) << key;
    EXPECT_TRUE(L().faceLayer->transform().isIdentity());
    EXPECT_EQ(L().faceLayer->animation("transform")->duration, 0.2) << "the face eases back";
    EXPECT_EQ(L().effortLayer->opacity(), 0);
    const auto* brake = L().actionLayer->animation("travelBrake");
    ASSERT_NE(brake, nullptr);
    EXPECT_EQ(brake->duration, 0.38);
    EXPECT_EQ(brake->keyTimes, (std::vector<double>{0, 0.55, 1}));
    ASSERT_NE(L().shadowLayer->animation("weightPulse"), nullptr) << "the shadow takes the weight";
    EXPECT_EQ(L().shadowLayer->animation("weightPulse")->duration, 0.38);
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
