#include <gtest/gtest.h>

#include <vector>

#include "model/RawEnum.h"
#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Animation;
using anim::Transform;
using model::PetActivity;

TEST_F(PetViewTest, theIdleLoopIsChosenByActivityAndHasNoSeam) {
    std::vector<Transform> loops;
    for (PetActivity activity : {PetActivity::home, PetActivity::sleeping, PetActivity::searching,
                                 PetActivity::greeting, PetActivity::drinking}) {
        double calmCycle = 0;
        for (bool energetic : {false, true}) {
            PetView pet(energetic ? energeticPet() : calmPet());
            const double t0 = now();
            pet.setActivity(activity);
            const auto& ambient = *pet.layers().ambientLayer;
            const Animation* loop = ambient.animation("ambient");
            ASSERT_NE(loop, nullptr) << model::rawValue(activity);
            EXPECT_EQ(loop->repeatCount, Animation::infinity);
            const double cycle = loop->duration;
            for (double t : {0.0, 0.3 * cycle, 0.7 * cycle})
                EXPECT_LT(distance(ambient.presentation(t0 + t).transform,
                                   ambient.presentation(t0 + 5 * cycle + t).transform),
                          1e-9)
                    << model::rawValue(activity) << ": the same pose each cycle";
            EXPECT_LT(distance(ambient.presentation(t0 + cycle - 1e-6).transform, ambient.presentation(t0).transform),
                      1e-4)
                << model::rawValue(activity) << ": no jump where the cycle starts again";
            if (energetic) {
                EXPECT_LE(cycle, calmCycle) << "the calm pet is never the quicker one";
            }
            calmCycle = cycle;
            loops.push_back(ambient.presentation(t0 + 0.3 * cycle).transform);
        }
    }
    for (size_t i = 2; i < loops.size(); i += 2) EXPECT_NE(loops[i], loops[i - 2]) << "each activity its own loop";

    // The mirrored loops lean the two pets toward each other.
    for (PetActivity mirrored : {PetActivity::cuddling, PetActivity::copycat}) {
        PetView lively(energeticPet()), calm(calmPet());
        lively.setActivity(mirrored);
        calm.setActivity(mirrored);
        const auto lean = [&](const PetView& pet) {
            const auto& ambient = *pet.layers().ambientLayer;
            return ambient.presentation(now() + ambient.animation("ambient")->duration / 2).transform.rotation;
        };
        const double a = lean(lively), b = lean(calm);
        EXPECT_NE(a, 0);
        EXPECT_NEAR(a, -b, 1e-9) << model::rawValue(mirrored);
    }
}

TEST_F(PetViewTest, theSecondaryMotionFollowsABeatBehindInItsGroup) {
    const double t0 = now();
    view->setActivity(PetActivity::typing);
    const Animation* lively = L().secondaryLayer->animation("secondaryMotion");
    ASSERT_NE(lively, nullptr);
    EXPECT_GT(lively->beginTime, t0);
    EXPECT_TRUE(L().secondaryLayer->presentation(t0).transform.isIdentity()) << "no backwards fill";

    PetView calm(calmPet());
    calm.setActivity(PetActivity::typing);
    const Animation* slow = calm.layers().secondaryLayer->animation("secondaryMotion");
    ASSERT_NE(slow, nullptr);
    EXPECT_GT(slow->beginTime, lively->beginTime) << "the calm pet lags further";

    view->setActivity(PetActivity::dragged);
    EXPECT_NE(L().ambientLayer->animation("ambient"), nullptr) << "the dragged pet squashes";
    EXPECT_NE(L().secondaryLayer->animation("secondaryMotion"), nullptr) << "and sways";
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
    EXPECT_LT(L().leftEye->transform().sy, 0.5) << "the state change is still made: eyes shut";
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
    EXPECT_GT(L().secondaryLayer->animation("secondaryMotion")->beginTime, now());
    EXPECT_EQ(L().ambientLayer->presentation(now()).transform, Transform::identity()) << "from the first keyframe";
}
