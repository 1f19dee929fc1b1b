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

// The highest and the most turned the layer is shown in the next second.
double peak(const anim::Layer& layer, double from, bool rotation = false) {
    double most = 0;
    for (double t = from; t < from + 1; t += 0.005) {
        const Transform shown = layer.presentation(t).transform;
        most = std::max(most, std::abs(rotation ? shown.rotation : shown.ty));
    }
    return most;
}

// How high a hop played now lifts the pet.
double hop(PetView& pet, double energy, double now) {
    pet.reactToKeyPress(KeyboardReactionStyle::hop, energy);
    return peak(*pet.layers().actionLayer, now);
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

TEST_F(PetViewTest, reactionsGrowWithTheEnergyAndTheFurFollowsAMomentLater) {
    const double t0 = now();
    view->reactToKeyPress(KeyboardReactionStyle::bounce, 0.5);
    EXPECT_GT(L().secondaryLayer->animation("keyFurLag")->beginTime, t0) << "the fur follows a moment later";
    EXPECT_NE(L().leftPaw->presentation(t0).transform.ty, L().rightPaw->presentation(t0).transform.ty)
        << "the paws type in opposite phase";
    for (KeyboardReactionStyle style : {KeyboardReactionStyle::bounce, KeyboardReactionStyle::hop}) {
        PetView soft(calmPet()), strong(calmPet());
        soft.reactToKeyPress(style, 0.3);
        strong.reactToKeyPress(style, 0.9);
        EXPECT_GT(peak(*strong.layers().actionLayer, t0), peak(*soft.layers().actionLayer, t0) + 0.5)
            << model::rawValue(style);
    }

    // The two pets tilt their heads to opposite sides.
    view->reactToKeyPress(KeyboardReactionStyle::tilt, 0.5);
    PetView calm(calmPet());
    calm.reactToKeyPress(KeyboardReactionStyle::tilt, 0.5);
    const double lean = L().interactionLayer->presentation(t0 + 0.1).transform.rotation;
    EXPECT_NE(lean, 0);
    EXPECT_NEAR(calm.layers().interactionLayer->presentation(t0 + 0.1).transform.rotation, -lean, 1e-9);

    view->reactToKeyPress(KeyboardReactionStyle::hop, 0.5);
    EXPECT_NE(L().interactionLayer->animation("keyboardReaction"), nullptr)
        << "a running tilt is replaced only by another tilt";
}

TEST_F(PetViewTest, theWakeBoostLiftsOnlyTheFirstReactionAfterRest) {
    view->setActivity(PetActivity::sleeping);
    view->setActivity(PetActivity::typing);
    const double woken = hop(*view, 0.2, now());
    EXPECT_FALSE(view->wakeBoostPending());
    EXPECT_GT(woken, hop(*view, 0.2, now()) + 0.5);

    view->setActivity(PetActivity::dreaming);
    view->setActivity(PetActivity::typing);
    view->reactToKeyPress(KeyboardReactionStyle::showCount, 0.2);
    EXPECT_FALSE(view->wakeBoostPending()) << "the count style consumes it too";
}

TEST_F(PetViewTest, energyIsHeldBetweenAFloorAndFullStrength) {
    const double floor = hop(*view, 0, now());
    EXPECT_GT(floor, 0.5) << "even the softest press shows";
    EXPECT_DOUBLE_EQ(hop(*view, std::numeric_limits<double>::quiet_NaN(), now()), floor);
    EXPECT_DOUBLE_EQ(hop(*view, 5, now()), hop(*view, 1, now()));
}

TEST_F(PetViewTest, underReduceMotionEveryStyleOnlyPulsesTheEyesAndTheWakeBoostWaits) {
    view->setActivity(PetActivity::drowsy);
    view->setActivity(PetActivity::typing);
    sim.accessibility.setReduceMotion(true);
    sim.loop.runPending();
    for (KeyboardReactionStyle style : model::allCases<KeyboardReactionStyle>) {
        view->reactToKeyPress(style, 0.9);
        EXPECT_EQ(running(L()), (std::set<std::string>{"leftEye:pulse", "rightEye:pulse"})) << model::rawValue(style);
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
