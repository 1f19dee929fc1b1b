#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "model/RawEnum.h"
#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Transform;
using model::KeyboardReactionStyle;
using model::PetActivity;

namespace {

void expectTransform(const anim::Value& actual, const Transform& expected, const char* what = "") {
    const auto& t = std::get<Transform>(actual);
    EXPECT_NEAR(t.tx, expected.tx, 1e-9) << what;
    EXPECT_NEAR(t.ty, expected.ty, 1e-9) << what;
    EXPECT_NEAR(t.rotation, expected.rotation, 1e-9) << what;
    EXPECT_NEAR(t.sx, expected.sx, 1e-9) << what;
    EXPECT_NEAR(t.sy, expected.sy, 1e-9) << what;
}

std::vector<double> numbers(const anim::Animation& a) {
    std::vector<double> out;
    for (const auto& v : a.values) out.push_back(std::get<double>(v));
    return out;
}

// "layer:key" for every animation the gesture left on the view's moving parts.
std::set<std::string> running(const PetViewLayers& L) {
    std::set<std::string> out;
    const std::vector<const anim::Layer*> parts{L.actionLayer.get(), L.secondaryLayer.get(), L.interactionLayer.get(),
                                                L.faceLayer.get(),   L.furEchoLayer.get(),   L.leftPaw.get(),
                                                L.rightPaw.get(),    L.leftEye.get(),        L.rightEye.get(),
                                                L.leftPupil.get(),   L.rightPupil.get(),     L.shadowLayer.get()};
    for (const anim::Layer* layer : parts)
        for (const auto& key : layer->animationKeys())
            if (key != "ambient" && key != "secondaryMotion" && key != "transform" && key != "opacity")
                out.insert(layer->name + ":" + key);
    return out;
}

// The hop's height tells the energy it was played with.
double hopEnergy(const PetViewLayers& L) {
    return (std::get<Transform>(L.actionLayer->animation("keyboardReaction")->values[2]).ty - 3.2) / 3.8;
}

}  // namespace

TEST_F(PetViewTest, eachReactionStylePlaysItsGesturesUnderTheirKeys) {
    struct Case {
        KeyboardReactionStyle style;
        std::set<std::string> keys;
    };
    const std::vector<Case> cases{
        {KeyboardReactionStyle::bounce,
         {"actionLayer:keyReaction", "secondaryLayer:keyFurLag", "faceLayer:keyFaceLead", "leftPaw:type",
          "rightPaw:type", "shadowLayer:weightPulse", "shadowLayer:weightOpacity"}},
        {KeyboardReactionStyle::paws, {"leftPaw:type", "rightPaw:type", "faceLayer:keyboardReaction"}},
        {KeyboardReactionStyle::fluff, {"secondaryLayer:keyboardReaction", "furEchoLayer:keyboardReaction"}},
        {KeyboardReactionStyle::blink,
         {"leftEye:blink", "rightEye:blink", "leftPupil:blink", "rightPupil:blink", "faceLayer:keyboardReaction"}},
        {KeyboardReactionStyle::tilt, {"interactionLayer:keyboardReaction"}},
        {KeyboardReactionStyle::hop,
         {"actionLayer:keyboardReaction", "shadowLayer:weightPulse", "shadowLayer:weightOpacity"}},
        {KeyboardReactionStyle::showCount, {}},
    };
    for (const Case& c : cases) {
        PetView pet(energeticPet());
        pet.reactToKeyPress(c.style, 0.5);
        EXPECT_EQ(running(pet.layers()), c.keys) << model::rawValue(c.style);
    }
}

TEST_F(PetViewTest, reactionValuesFollowTheEnergy) {
    const double t0 = now();
    view->reactToKeyPress(KeyboardReactionStyle::bounce, 0.5);
    const auto* body = L().actionLayer->animation("keyReaction");
    ASSERT_NE(body, nullptr);
    EXPECT_DOUBLE_EQ(body->duration, 0.29);
    expectTransform(body->values[2], Transform::pose(0, 4.1, 0, 0.98, 1.04));
    const auto* fur = L().secondaryLayer->animation("keyFurLag");
    EXPECT_DOUBLE_EQ(fur->beginTime, t0 + 0.025) << "the fur follows a moment later";
    EXPECT_EQ(numbers(*L().leftPaw->animation("type")), (std::vector<double>{0, 2.6, 0}));
    EXPECT_EQ(numbers(*L().rightPaw->animation("type")), (std::vector<double>{2.2, 0, 2.2})) << "opposite phase";

    view->reactToKeyPress(KeyboardReactionStyle::fluff, 0.5);
    expectTransform(L().secondaryLayer->animation("keyboardReaction")->values[1],
                    Transform::pose(-2.1, 0, -0.045, 1.04, 0.98));

    view->reactToKeyPress(KeyboardReactionStyle::blink, 0.5);
    EXPECT_EQ(numbers(*L().faceLayer->animation("keyboardReaction")), (std::vector<double>{0, 1.25, -0.4, 0}))
        << "a half-strength nod";

    // The two pets tilt their heads to opposite sides.
    view->reactToKeyPress(KeyboardReactionStyle::tilt, 0.5);
    expectTransform(L().interactionLayer->animation("keyboardReaction")->values[1],
                    Transform::pose(-0.5, 0.8, -0.085, 1, 1));
    PetView calm(calmPet());
    calm.reactToKeyPress(KeyboardReactionStyle::tilt, 0.5);
    expectTransform(calm.layers().interactionLayer->animation("keyboardReaction")->values[1],
                    Transform::pose(0.5, 0.8, 0.085, 1, 1));

    view->reactToKeyPress(KeyboardReactionStyle::hop, 0.5);
    expectTransform(L().actionLayer->animation("keyboardReaction")->values[2], Transform::pose(0, 5.1, 0, 0.94, 1.07));
    EXPECT_NE(L().interactionLayer->animation("keyboardReaction"), nullptr)
        << "a running tilt is replaced only by another tilt";
}

TEST_F(PetViewTest, theWakeBoostLiftsOnlyTheFirstReactionAfterRest) {
    view->setActivity(PetActivity::sleeping);
    view->setActivity(PetActivity::typing);
    view->reactToKeyPress(KeyboardReactionStyle::hop, 0.2);
    EXPECT_NEAR(hopEnergy(L()), 0.86, 1e-9);
    EXPECT_FALSE(view->wakeBoostPending());
    view->reactToKeyPress(KeyboardReactionStyle::hop, 0.2);
    EXPECT_NEAR(hopEnergy(L()), 0.2, 1e-9);

    view->setActivity(PetActivity::dreaming);
    view->setActivity(PetActivity::typing);
    view->reactToKeyPress(KeyboardReactionStyle::showCount, 0.2);
    EXPECT_FALSE(view->wakeBoostPending()) << "the count style consumes it too";
}

TEST_F(PetViewTest, energyIsHeldBetweenAFloorAndFullStrength) {
    for (auto [intensity, energy] :
         {std::pair{0.0, 0.16}, std::pair{5.0, 1.0}, std::pair{std::numeric_limits<double>::quiet_NaN(), 0.16}}) {
        view->reactToKeyPress(KeyboardReactionStyle::hop, intensity);
        EXPECT_NEAR(hopEnergy(L()), energy, 1e-9) << intensity;
    }
}

TEST_F(PetViewTest, underReduceMotionEveryStyleOnlyPulsesTheEyesAndTheWakeBoostWaits) {
    view->setActivity(PetActivity::drowsy);
    view->setActivity(PetActivity::typing);
    sim.accessibility.setReduceMotion(true);
    sim.loop.runPending();
    for (KeyboardReactionStyle style : model::allCases<KeyboardReactionStyle>) {
        view->reactToKeyPress(style, 0.9);
        EXPECT_EQ(running(L()), (std::set<std::string>{"leftEye:pulse", "rightEye:pulse"})) << model::rawValue(style);
        EXPECT_EQ(L().leftEye->animation("pulse")->duration, 0.1);
    }
    EXPECT_TRUE(view->wakeBoostPending());
}

TEST_F(PetViewTest, aRestingPetsBlinkStyleOnlyNods) {
    for (PetActivity rest : {PetActivity::sleeping, PetActivity::dreaming, PetActivity::cuddling}) {
        PetView pet(calmPet());
        pet.setActivity(rest);
        pet.reactToKeyPress(KeyboardReactionStyle::blink, 0.8);
        EXPECT_EQ(running(pet.layers()), (std::set<std::string>{"faceLayer:keyboardReaction"}))
            << model::rawValue(rest);
    }
}

TEST_F(PetViewTest, aNewReactionClearsTheRunningOne) {
    view->reactToKeyPress(KeyboardReactionStyle::fluff, 0.6);
    view->reactToKeyPress(KeyboardReactionStyle::paws, 0.6);
    EXPECT_EQ(L().secondaryLayer->animation("keyboardReaction"), nullptr);
    EXPECT_EQ(L().furEchoLayer->animation("keyboardReaction"), nullptr);
    EXPECT_NE(L().faceLayer->animation("keyboardReaction"), nullptr);
    settle();
    EXPECT_EQ(running(L()), std::set<std::string>{}) << "gestures end by themselves";
    EXPECT_TRUE(L().actionLayer->transform().isIdentity()) << "no model value was changed";
}
