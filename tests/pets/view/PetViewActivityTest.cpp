#include <gtest/gtest.h>

#include "anim/Transaction.h"
#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using model::PetActivity;

namespace {

// How far the eyes are open: their vertical scale.
double openness(const PetView& view) {
    return view.layers().leftEye->transform().sy;
}

}  // namespace

TEST_F(PetViewTest, eyesNarrowOrCloseByActivityAboutTheirMiddle) {
    struct Case {
        PetActivity activity;
        double openness;
        double pupils;
    };
    for (Case c :
         {Case{PetActivity::laughing, 0.35, 1}, Case{PetActivity::cuddling, 0.12, 0},
          Case{PetActivity::drowsy, 0.44, 1}, Case{PetActivity::dreaming, 0.12, 0}, Case{PetActivity::eating, 1, 1}}) {
        view->setActivity(c.activity);
        EXPECT_EQ(openness(*view), c.openness) << model::rawValue(c.activity);
        EXPECT_EQ(L().rightEye->transform(), L().leftEye->transform());
        EXPECT_EQ(L().leftPupil->opacity(), c.pupils);
        EXPECT_EQ(L().rightPupil->opacity(), c.pupils);
        // The eyes' centre line (3 points above the view's middle) does not move.
        EXPECT_NEAR(L().leftEye->transform().apply({10, 29}).y, 29, 1e-9);
    }
    ASSERT_NE(L().leftEye->animation("transform"), nullptr) << "the eyes ease to their new opening";
}

TEST_F(PetViewTest, writingTheSameActivityAgainReplaysNothing) {
    view->setActivity(PetActivity::laughing);
    settle();
    ASSERT_EQ(L().leftEye->animation("transform"), nullptr);

    view->setActivity(PetActivity::laughing);
    EXPECT_EQ(L().leftEye->animation("transform"), nullptr) << "no eye animation";
    EXPECT_TRUE(L().homePoseLayer->animationKeys().empty()) << "no pose re-applied";

    view->setActivity(PetActivity::celebrating);
    EXPECT_EQ(L().sparkleLayer->birthRate(), 1);
    L().sparkleLayer->setBirthRate(0.5);
    view->setActivity(PetActivity::celebrating);
    EXPECT_EQ(L().sparkleLayer->birthRate(), 0.5) << "the celebration is not played again";
}

TEST_F(PetViewTest, typingArmsTheWakeBoostOnlyAfterRest) {
    view->setActivity(PetActivity::typing);
    EXPECT_FALSE(view->wakeBoostPending()) << "home to typing";
    for (PetActivity rest : {PetActivity::drowsy, PetActivity::sleeping, PetActivity::dreaming}) {
        PetView pet(calmPet());
        pet.setActivity(rest);
        pet.setActivity(PetActivity::typing);
        EXPECT_TRUE(pet.wakeBoostPending()) << model::rawValue(rest);
    }
    PetView awake(calmPet());
    awake.setActivity(PetActivity::idle);
    awake.setActivity(PetActivity::typing);
    awake.setActivity(PetActivity::typing);
    EXPECT_FALSE(awake.wakeBoostPending());
}

TEST_F(PetViewTest, onlyEnteringACelebrationTurnsTheSparklesOn) {
    view->setActivity(PetActivity::celebrating);
    EXPECT_EQ(L().sparkleLayer->birthRate(), 1);
    view->setActivity(PetActivity::playing);
    EXPECT_EQ(L().sparkleLayer->birthRate(), 0) << "any other activity turns them off";
    view->setActivity(PetActivity::celebrating);
    EXPECT_EQ(L().sparkleLayer->birthRate(), 1);
    view->applyActivity();
    EXPECT_EQ(L().sparkleLayer->birthRate(), 1) << "re-applying a celebration celebrates";

    sim.accessibility.setReduceMotion(true);
    view->setActivity(PetActivity::home);
    view->setActivity(PetActivity::celebrating);
    EXPECT_EQ(L().sparkleLayer->birthRate(), 0) << "no sparkles under Reduce Motion";
}

TEST_F(PetViewTest, travellingSurvivesOnlyRoamingAndChasing) {
    view->setActivity(PetActivity::roaming);
    view->startTravel(-1, 0.3);
    ASSERT_TRUE(view->isTravelling());
    EXPECT_EQ(L().leftPaw->opacity(), 1) << "a walking pet shows its free paws";
    EXPECT_EQ(L().faceLayer->transform().tx, -5.2) << "the face leans the way it goes";

    auto gait = anim::Animation::keyframes("transform.rotation.z", {0.0, 0.1, 0.0}, 0.3)
                    .setRepeatCount(anim::Animation::infinity);
    L().actionLayer->addAnimation(gait, "travelGait");
    view->setActivity(PetActivity::chasing);
    EXPECT_TRUE(view->isTravelling());
    EXPECT_NE(L().actionLayer->animation("travelGait"), nullptr) << "the running gait is not restarted";

    view->setActivity(PetActivity::home);
    EXPECT_FALSE(view->isTravelling());
    EXPECT_EQ(L().actionLayer->animation("travelGait"), nullptr);
    EXPECT_TRUE(L().faceLayer->transform().isIdentity());
}

TEST_F(PetViewTest, travelNeedsMotionAndAShownPet) {
    view->setHomeAttached(true, false);
    sim.accessibility.setReduceMotion(true);
    view->startTravel(1, 0.3);
    EXPECT_FALSE(view->isTravelling());
    EXPECT_TRUE(view->isHomeAttached()) << "the pet glides in its pose";

    sim.accessibility.setReduceMotion(false);
    view->setGrippingHome(true);
    view->startTravel(0, 0.3);
    EXPECT_TRUE(view->isTravelling());
    EXPECT_FALSE(view->isHomeAttached()) << "walking lets go of home";
    EXPECT_FALSE(view->isGrippingHome());
    EXPECT_EQ(L().faceLayer->transform().tx, 5.2) << "no direction walks right";

    view->setPresentationActive(false);
    EXPECT_FALSE(view->isTravelling()) << "hiding the pet ends the walk";
    view->startTravel(1, 0.3);
    EXPECT_FALSE(view->isTravelling());
}

TEST_F(PetViewTest, activitiesOutsideCursorAttentionDropTheLeanAtOnce) {
    anim::Transaction::withoutActions([&] {
        L().attentionLayer->setTransform(anim::Transform::pose(2.4, 1.7, 0.045, 1.018, 1.014));
        L().furEchoLayer->setOpacity(0.26);
    });
    view->setActivity(PetActivity::idle);
    EXPECT_FALSE(L().attentionLayer->transform().isIdentity()) << "idle pets still attend";

    view->setActivity(PetActivity::sleeping);
    EXPECT_TRUE(L().attentionLayer->transform().isIdentity());
    EXPECT_EQ(L().furEchoLayer->opacity(), 0.16);
    EXPECT_EQ(L().attentionLayer->animation("transform"), nullptr) << "not eased out";
}

TEST_F(PetViewTest, sceneDecorShowsExactlyTheCurrentScenesProps) {
    auto shown = [&] {
        std::vector<std::string> out;
        for (const auto& prop : L().sceneLayer->sublayers())
            if (prop->opacity() > 0) out.push_back(prop->name);
        return out;
    };
    view->setActivity(PetActivity::eating);
    EXPECT_EQ(shown(), (std::vector<std::string>{"snackLayer", "snackDetailLayer", "mouthLayer"}));
    view->setActivity(PetActivity::laughing);
    EXPECT_EQ(shown(), std::vector<std::string>{"mouthLayer"});
    EXPECT_NEAR(L().mouthLayer->pathBounds().width(), 10, 1e-9) << "a wide open mouth";
    view->setActivity(PetActivity::crying);
    EXPECT_EQ(shown(), (std::vector<std::string>{"mouthLayer", "leftTearLayer", "rightTearLayer"}));
    view->setActivity(PetActivity::showingCount);
    EXPECT_EQ(shown(), (std::vector<std::string>{"signLayer", "signTextLayer", "signCaptionLayer", "signHandsLayer"}));

    auto drip = anim::Animation::basic("transform.translation.y", 5.0, -13.0, 1.05);
    L().signLayer->addAnimation(drip, "raiseSign");
    L().tearSplashLayer->addAnimation(drip, "tearSplash");
    view->setActivity(PetActivity::idle);
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(L().signLayer->animation("raiseSign"), nullptr) << "props leave with their animations";
    EXPECT_EQ(L().tearSplashLayer->animation("tearSplash"), nullptr) << "the splash stops with the tears";
}

TEST_F(PetViewTest, hidingThePetStopsItsTimersAndAnimationsAndShowingItResumes) {
    L().ambientLayer->addAnimation(anim::Animation::basic("opacity", 0.5, 1.0, 9), "ambient");
    L().snackLayer->addAnimation(anim::Animation::basic("opacity", 0.5, 1.0, 9), "bite");
    L().leftPaw->addAnimation(anim::Animation::basic("opacity", 0.5, 1.0, 9), "curiousReach");
    view->setPresentationActive(false);
    EXPECT_EQ(view->blinkTimer(), nullptr);
    EXPECT_EQ(view->gazeTimer(), nullptr);
    EXPECT_EQ(view->microMotionTimer(), nullptr);
    EXPECT_TRUE(L().ambientLayer->animationKeys().empty());
    EXPECT_NE(L().snackLayer->animation("bite"), nullptr) << "only the scene holder's own animations go";
    EXPECT_NE(L().leftPaw->animation("curiousReach"), nullptr);

    view->setActivity(PetActivity::celebrating);
    L().sparkleLayer->setBirthRate(0);
    view->setPresentationActive(true);
    EXPECT_NE(view->blinkTimer(), nullptr);
    EXPECT_NE(view->gazeTimer(), nullptr);
    EXPECT_EQ(L().sparkleLayer->birthRate(), 1) << "the activity is applied again";
}
