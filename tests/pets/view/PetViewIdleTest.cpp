#include <gtest/gtest.h>

#include <vector>

#include "model/RawEnum.h"
#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Animation;
using anim::TimingFunction;
using anim::Transform;
using model::PetActivity;

namespace {

Transform pose(double ty, double angle, double sx, double sy) {
    return Transform::pose(0, ty, angle, sx, sy);
}

std::vector<Transform> transforms(const Animation& a) {
    std::vector<Transform> out;
    for (const auto& v : a.values) out.push_back(std::get<Transform>(v));
    return out;
}

}  // namespace

TEST_F(PetViewTest, theIdleLoopIsChosenByActivity) {
    struct Case {
        PetActivity activity;
        std::vector<Transform> values;
        double calm, energetic;
    };
    const std::vector<Case> cases{
        {PetActivity::home, {Transform::identity(), pose(0.65, 0, 0.992, 1.018), Transform::identity()}, 3.2, 2.5},
        {PetActivity::sleeping, {pose(0, 0, 1.04, 0.93), pose(0, 0, 1.06, 0.91), pose(0, 0, 1.04, 0.93)}, 3.8, 3.8},
        {PetActivity::searching,
         {pose(0, -0.11, 1, 1), pose(1.2, 0, 1, 1), pose(0, 0.11, 1, 1), pose(1.2, 0, 1, 1), pose(0, -0.11, 1, 1)},
         1.4,
         1.4},
        {PetActivity::greeting,
         {pose(0, -0.06, 1.05, 0.95), pose(2.5, 0.06, 0.96, 1.06), pose(0, -0.06, 1.05, 0.95)},
         0.58,
         0.42},
        {PetActivity::drinking,
         {Transform::identity(), pose(-2, 0.16, 1, 1), pose(-2, 0.16, 1, 1), Transform::identity()},
         1.5,
         1.5},
    };
    for (const Case& c : cases) {
        for (bool energetic : {false, true}) {
            PetView pet(energetic ? energeticPet() : calmPet());
            pet.setActivity(c.activity);
            const Animation* loop = pet.layers().ambientLayer->animation("ambient");
            ASSERT_NE(loop, nullptr) << model::rawValue(c.activity);
            EXPECT_EQ(transforms(*loop), c.values) << model::rawValue(c.activity);
            EXPECT_EQ(loop->duration, energetic ? c.energetic : c.calm) << model::rawValue(c.activity);
            EXPECT_EQ(loop->repeatCount, Animation::infinity);
            EXPECT_EQ(loop->timingFunction, TimingFunction::easeInEaseOut()) << "one curve over the whole cycle";
            EXPECT_TRUE(loop->keyTimes.empty());
        }
    }

    // The mirrored loops lean the two pets toward each other.
    for (PetActivity mirrored : {PetActivity::cuddling, PetActivity::copycat}) {
        PetView lively(energeticPet()), calm(calmPet());
        lively.setActivity(mirrored);
        calm.setActivity(mirrored);
        double a = transforms(*lively.layers().ambientLayer->animation("ambient"))[1].rotation;
        double b = transforms(*calm.layers().ambientLayer->animation("ambient"))[1].rotation;
        EXPECT_NE(a, 0);
        EXPECT_EQ(a, -b) << model::rawValue(mirrored);
    }
}

TEST_F(PetViewTest, theSecondaryMotionFollowsABeatBehindInItsGroup) {
    const double t0 = now();
    view->setActivity(PetActivity::typing);
    const Animation* lively = L().secondaryLayer->animation("secondaryMotion");
    ASSERT_NE(lively, nullptr);
    EXPECT_DOUBLE_EQ(lively->beginTime, t0 + 0.035);
    EXPECT_EQ(lively->duration, 0.38);
    EXPECT_EQ(transforms(*lively)[1], pose(1.7, 0, 0.97, 1.05));
    EXPECT_TRUE(L().secondaryLayer->presentation(t0 + 0.02).transform.isIdentity()) << "no backwards fill";

    PetView calm(calmPet());
    calm.setActivity(PetActivity::dreaming);
    const Animation* slow = calm.layers().secondaryLayer->animation("secondaryMotion");
    EXPECT_DOUBLE_EQ(slow->beginTime, t0 + 0.065);
    EXPECT_EQ(slow->duration, 4.2);
    EXPECT_EQ(transforms(*slow)[1], pose(-0.4, 0, 1.025, 0.975));

    // The dragged pet squashes fast on the body and sways gently one level deeper.
    view->setActivity(PetActivity::dragged);
    EXPECT_EQ(L().ambientLayer->animation("ambient")->duration, 0.7);
    EXPECT_EQ(transforms(*L().secondaryLayer->animation("secondaryMotion"))[1], pose(0.45, 0.012, 1, 1));
}

TEST_F(PetViewTest, walkingAndReduceMotionRunNoLoopWhileOtherAnimationsStay) {
    view->setActivity(PetActivity::idle);
    L().secondaryLayer->addAnimation(Animation::basic("opacity", 0.5, 1.0, 9), "keyFurLag");
    view->setActivity(PetActivity::roaming);
    EXPECT_EQ(L().ambientLayer->animation("ambient"), nullptr);
    EXPECT_EQ(L().secondaryLayer->animation("secondaryMotion"), nullptr);
    EXPECT_NE(L().secondaryLayer->animation("keyFurLag"), nullptr) << "only the loop's key is touched";

    view->setActivity(PetActivity::sleeping);
    ASSERT_NE(L().ambientLayer->animation("ambient"), nullptr);
    sim.accessibility.setReduceMotion(true);
    sim.loop.runPending();
    EXPECT_EQ(L().ambientLayer->animation("ambient"), nullptr) << "a running loop goes";
    EXPECT_EQ(L().secondaryLayer->animation("secondaryMotion"), nullptr);
    EXPECT_EQ(view->activity(), PetActivity::sleeping);
    EXPECT_NEAR(L().leftEye->transform().sy, 0.12, 1e-9) << "the state change is still made";
    for (PetActivity activity : model::allCases<PetActivity>) {
        view->setActivity(activity);
        EXPECT_TRUE(L().ambientLayer->animationKeys().empty()) << model::rawValue(activity);
    }

    sim.accessibility.setReduceMotion(false);
    sim.loop.runPending();
    EXPECT_NE(L().secondaryLayer->animation("secondaryMotion"), nullptr) << "and comes back";
}

TEST_F(PetViewTest, applyingTheActivityAgainRestartsBothLoops) {
    view->setActivity(PetActivity::idle);
    sim.loop.advance(1);
    view->applyActivity();
    EXPECT_DOUBLE_EQ(L().secondaryLayer->animation("secondaryMotion")->beginTime, now() + 0.035);
    EXPECT_EQ(L().ambientLayer->presentation(now()).transform, Transform::identity()) << "from the first keyframe";
}
