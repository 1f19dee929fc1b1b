#include <gtest/gtest.h>

#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Transform;
using model::KeyboardReactionStyle;
using model::PetActivity;

TEST_F(PetViewTest, celebratingHopsTwiceUnderSparklesThatFlowUntilTheNextActivity) {
    view->celebrate();
    EXPECT_EQ(L().sparkleLayer->birthRate(), 1);
    const auto* hop = L().actionLayer->animation("celebrate");
    ASSERT_NE(hop, nullptr);
    EXPECT_EQ(hop->repeatCount, 2);
    expectSmoothMove(*L().actionLayer, now(), hop->activeDuration(), Transform::identity());

    sim.loop.advance(hop->activeDuration() + 0.05);
    EXPECT_EQ(L().actionLayer->animation("celebrate"), nullptr) << "two hops, then done";
    EXPECT_EQ(L().sparkleLayer->birthRate(), 1) << "the sparkles keep flowing";
    EXPECT_FALSE(L().sparkleLayer->particles(now()).empty());

    view->setActivity(PetActivity::idle);
    EXPECT_EQ(L().sparkleLayer->birthRate(), 0);

    sim.accessibility.setReduceMotion(true);
    L().sparkleLayer->setBirthRate(1);
    view->celebrate();
    EXPECT_EQ(L().sparkleLayer->birthRate(), 0) << "no sparkles under Reduce Motion";
    EXPECT_EQ(L().actionLayer->animation("celebrate"), nullptr) << "and no hop";
}

TEST_F(PetViewTest, aHighFiveFlashesAndSlapsOnThePartnersSide) {
    view->playHighFiveBurst(false);
    const auto& flash = *L().highFiveLayer;
    const anim::Rect place = flash.frame();
    EXPECT_LT(place.midX(), 26) << "on the left";
    ASSERT_NE(flash.animation("highFiveFlash"), nullptr);
    ASSERT_NE(flash.animation("highFivePop"), nullptr);
    EXPECT_EQ(L().rightPaw->animation("highFiveSlap"), nullptr);
    ASSERT_NE(L().leftPaw->animation("highFiveSlap"), nullptr);
    ASSERT_NE(L().actionLayer->animation("highFiveRecoil"), nullptr);

    // The paw goes up and out to the left and the star lights fully.
    double up = 0, out = 0, lit = 0;
    for (double t = now(); t < now() + 0.7; t += 0.005) {
        up = std::max(up, L().leftPaw->presentation(t).transform.ty);
        out = std::min(out, L().leftPaw->presentation(t).transform.tx);
        lit = std::max(lit, flash.presentation(t).opacity);
    }
    EXPECT_GT(up, 3);
    EXPECT_LT(out, -3);
    EXPECT_NEAR(lit, 1, 1e-9);
    sim.loop.advance(1);
    EXPECT_EQ(flash.presentation(now()).opacity, 0) << "the flash is over";
    EXPECT_EQ(flash.frame(), place) << "and keeps its place";

    PetView calm(calmPet());
    calm.playHighFiveBurst(true);
    EXPECT_GT(calm.layers().highFiveLayer->frame().midX(), 26) << "on the right";
    EXPECT_NE(calm.layers().rightPaw->animation("highFiveSlap"), nullptr);

    sim.accessibility.setReduceMotion(true);
    PetView still(calmPet());
    still.playHighFiveBurst(true);
    EXPECT_TRUE(still.layers().highFiveLayer->path().isEmpty()) << "nothing changes under Reduce Motion";
    EXPECT_TRUE(still.layers().highFiveLayer->animationKeys().empty());
}

TEST_F(PetViewTest, previewAttachesOnlyForHomeActivitiesAndPlaysTheSignatureEffect) {
    view->replayPreview(PetActivity::home, KeyboardReactionStyle::bounce);
    EXPECT_TRUE(view->isHomeAttached());
    EXPECT_TRUE(view->isGrippingHome()) << "home settles";
    EXPECT_NE(L().actionLayer->animation("settle"), nullptr);

    view->replayPreview(PetActivity::idle, KeyboardReactionStyle::bounce);
    EXPECT_FALSE(view->isHomeAttached());
    EXPECT_TRUE(L().actionLayer->animationKeys().empty()) << "idle has no effect, and the settle is cleared";

    view->replayPreview(PetActivity::typing, KeyboardReactionStyle::hop);
    EXPECT_TRUE(view->isHomeAttached()) << "typing is shown at home";
    EXPECT_NE(L().actionLayer->animation("keyboardReaction"), nullptr) << "with the chosen reaction";

    view->replayPreview(PetActivity::chasing, KeyboardReactionStyle::bounce);
    EXPECT_TRUE(view->isTravelling());

    view->replayPreview(PetActivity::showingCount, KeyboardReactionStyle::bounce);
    EXPECT_FALSE(view->isTravelling());
    EXPECT_EQ(view->displayedCount(), 128);
    EXPECT_NE(L().signLayer->animation("raiseSign"), nullptr);

    view->replayPreview(PetActivity::highFiving, KeyboardReactionStyle::bounce);
    EXPECT_NE(L().rightPaw->animation("highFiveSlap"), nullptr) << "the first pet slaps to the right";
    PetView calm(calmPet());
    calm.replayPreview(PetActivity::highFiving, KeyboardReactionStyle::bounce);
    EXPECT_NE(calm.layers().leftPaw->animation("highFiveSlap"), nullptr) << "the second to the left";
}

TEST_F(PetViewTest, previewOfTheCurrentActivityReappliesItOnce) {
    view->replayPreview(PetActivity::crying, KeyboardReactionStyle::bounce);
    sim.loop.advance(4);
    EXPECT_TRUE(L().actionLayer->animationKeys().empty());
    view->replayPreview(PetActivity::crying, KeyboardReactionStyle::bounce);
    EXPECT_NE(L().actionLayer->animation("crySob"), nullptr) << "the same scene plays again";
    EXPECT_NE(L().leftTearLayer->animation("tear"), nullptr);

    view->replayPreview(PetActivity::celebrating, KeyboardReactionStyle::bounce);
    L().sparkleLayer->setBirthRate(0);
    view->replayPreview(PetActivity::celebrating, KeyboardReactionStyle::bounce);
    EXPECT_EQ(L().sparkleLayer->birthRate(), 1);
    EXPECT_NE(L().actionLayer->animation("celebrate"), nullptr);
}
