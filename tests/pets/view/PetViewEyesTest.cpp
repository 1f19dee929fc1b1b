#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "model/PetMotionRules.h"
#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Transform;
using model::KeyboardReactionStyle;
using model::PetActivity;
using platform::Point;

namespace {

constexpr Point leftEyeCenter{0.388 * 52, 0.558 * 52};
constexpr Point rightEyeCenter{0.612 * 52, 0.558 * 52};

// The blink's eye height at a time into it: down to 8 % at 45 %, then back.
double blinkScale(double elapsed) {
    double u = elapsed / 0.16;
    return u < 0.45 ? 1 - 0.92 * u / 0.45 : 0.08 + 0.92 * (u - 0.45) / 0.55;
}

// A pet in a shown panel whose centre is at (126, 226), the pointer somewhere on the screen.
struct PetEyesTest : PetViewTest {
    std::shared_ptr<platform::Panel> window = sim.panels.createPanel({100, 200, 52, 52});

    PetEyesTest() {
        view->setWindow(window);
        window->orderFront();
    }
    void pointAt(Point p) { sim.pointer.moveTo(p); }
    // At least one gaze step, and its glide run out.
    void look() { sim.loop.advance(0.5); }
    Point pupilOffset() const {
        auto t = L().leftPupil->transform();
        return {t.tx, t.ty};
    }
};

}  // namespace

TEST_F(PetViewTest, aBlinkClosesOpenAndNarrowedEyesWhereTheyAre) {
    for (PetActivity activity : {PetActivity::home, PetActivity::drowsy, PetActivity::laughing}) {
        PetView pet(calmPet());
        pet.setActivity(activity);
        settle();
        const auto& parts = pet.layers();
        const double t0 = now();
        pet.reactToKeyPress(KeyboardReactionStyle::blink, 0.5);
        for (auto [part, center] :
             {std::pair{parts.leftEye.get(), leftEyeCenter}, std::pair{parts.rightEye.get(), rightEyeCenter},
              std::pair{parts.leftPupil.get(), leftEyeCenter}, std::pair{parts.rightPupil.get(), rightEyeCenter}}) {
            const Transform model = part->transform();
            const Transform mid = part->presentation(t0 + 0.072).transform;
            const char* name = part->name.c_str();
            EXPECT_NEAR(mid.sy, model.sy * 0.08, 1e-9) << name << " " << model::rawValue(activity);
            EXPECT_NEAR(mid.apply(center).y, model.apply(center).y, 1e-9) << name << ": the centre line stays";
            EXPECT_NEAR(mid.apply(center).x, model.apply(center).x, 1e-9) << name;
            EXPECT_EQ(part->presentation(t0).transform, model) << name << ": no jump as it starts";
            EXPECT_EQ(part->presentation(t0 + 0.17).transform, model) << name << ": and none as it ends";
        }
    }
}

TEST_F(PetEyesTest, pupilsBlinkAboutTheirGazeEvenWhenTheGazeMovesMidBlink) {
    pointAt({126 + 400, 226 - 85});
    look();
    EXPECT_NEAR(pupilOffset().x, 1.25, 1e-9) << "saturates from 170 points on";
    EXPECT_NEAR(pupilOffset().y, -0.625, 1e-9);

    sim.loop.advance(0.1);  // the next gaze step is 0.04 s away
    const double t0 = now();
    view->reactToKeyPress(KeyboardReactionStyle::blink, 0.5);
    pointAt({126 - 400, 226});
    // The next gaze step falls inside the blink.
    while (pupilOffset().x > 0) sim.loop.advance(0.01);
    const double t = now() + 0.02;
    ASSERT_LT(t, t0 + 0.16);
    const auto shown = L().leftPupil->presentation(t).transform;
    EXPECT_NEAR(shown.sy, blinkScale(t - t0), 1e-9) << "the glide does not swallow the blink";
    EXPECT_GT(shown.tx, -1.25) << "the pupils glide over";
    look();
    EXPECT_EQ(L().leftPupil->presentation(now()).transform, Transform::translation(-1.25, 0));
}

TEST_F(PetViewTest, theReduceMotionPulseSwellsEachEyeAboutItsOwnCentre) {
    view->setActivity(PetActivity::laughing);
    settle();
    sim.accessibility.setReduceMotion(true);
    sim.loop.runPending();
    const double t0 = now();
    view->reactToKeyPress(KeyboardReactionStyle::tilt, 0.5);
    for (auto [eye, center] :
         {std::pair{L().leftEye.get(), leftEyeCenter}, std::pair{L().rightEye.get(), rightEyeCenter}}) {
        const Transform model = eye->transform();
        const Transform peak = eye->presentation(t0 + 0.1).transform;
        EXPECT_NEAR(peak.sx, 1.15, 1e-9);
        EXPECT_NEAR(peak.sy, model.sy * 1.15, 1e-9);
        EXPECT_NEAR(peak.apply(center).x, model.apply(center).x, 1e-9) << eye->name;
        EXPECT_NEAR(peak.apply(center).y, model.apply(center).y, 1e-9) << eye->name;
        EXPECT_EQ(eye->presentation(t0 + 0.2).transform, model) << "and back";
    }
}

TEST_F(PetViewTest, eachPetBlinksOnItsOwnTimerAndKeepsReArmingWhileAsleep) {
    PetView calm(calmPet());
    calm.setActivity(PetActivity::sleeping);
    const double start = now();
    bool blinked = false;
    double firstBlink = 0;
    for (int i = 0; i < 600 && !blinked; ++i) {
        sim.loop.advance(0.01);
        if (L().leftEye->animation("blink")) blinked = true, firstBlink = now() - start;
    }
    ASSERT_TRUE(blinked);
    EXPECT_GE(firstBlink, 2.4);
    EXPECT_LE(firstBlink, 5.2 + 0.25 + 0.02);
    EXPECT_NE(view->blinkTimer(), nullptr) << "the next blink is armed";

    sim.loop.advance(6);
    EXPECT_EQ(calm.layers().leftEye->animation("blink"), nullptr);
    EXPECT_TRUE(calm.blinkTimer() && calm.blinkTimer()->isValid()) << "a sleeping pet's timer re-arms";
    EXPECT_GE(calm.blinkTimer()->interval(), 2.75) << "the second pet's blink lags";
}

TEST_F(PetEyesTest, pupilsFollowThePointerWithinAPointAndAQuarter) {
    view->setActivity(PetActivity::typing);
    pointAt({126 + 85, 226 + 34});
    look();
    EXPECT_NEAR(pupilOffset().x, 0.625, 1e-9);
    EXPECT_NEAR(pupilOffset().y, 0.25, 1e-9);
    EXPECT_EQ(L().rightPupil->transform(), L().leftPupil->transform());
    pointAt({126 - 1000, 226 + 1000});
    look();
    EXPECT_NEAR(pupilOffset().x, -1.25, 1e-9);
    EXPECT_NEAR(pupilOffset().y, 1.25, 1e-9);

    view->setActivity(PetActivity::sleeping);
    pointAt({126 + 1000, 226});
    look();
    EXPECT_NEAR(pupilOffset().x, -1.25, 1e-9) << "a sleeping pet keeps its last look";

    view->setActivity(PetActivity::typing);
    window->orderOut();
    look();
    EXPECT_NEAR(pupilOffset().x, -1.25, 1e-9) << "nor does a hidden one look";
}

TEST_F(PetEyesTest, aStillOrBarelyMovingPointerLeavesThePupilsStill) {
    view->setActivity(PetActivity::idle);
    pointAt({200, 226});
    look();
    const Point settled = pupilOffset();
    ASSERT_EQ(L().leftPupil->animation("transform"), nullptr);
    pointAt({201, 226.5});
    sim.loop.advance(0.2);
    EXPECT_EQ(pupilOffset().x, settled.x) << "a change far below a pixel";
    EXPECT_EQ(L().leftPupil->animation("transform"), nullptr) << "and no glide that keeps the panel painting";
    EXPECT_EQ(L().rightPupil->animation("transform"), nullptr);
    pointAt({126, 300});
    sim.loop.advance(0.2);
    EXPECT_NE(L().leftPupil->animation("transform"), nullptr) << "a real move glides";
}

TEST_F(PetEyesTest, atHomeThePetsSweepTheirGazeOutOfStep) {
    PetView calm(calmPet());
    std::shared_ptr<platform::Panel> calmWindow = sim.panels.createPanel({300, 200, 52, 52});
    calm.setWindow(calmWindow);
    calmWindow->orderFront();
    for (PetView* pet : {view.get(), &calm}) pet->setHomeAttached(true, false);
    pointAt({126, 226});
    // Both gaze timers started with the views and step every 0.16 s.
    const double start = now();
    look();
    const auto& first = L().leftPupil->transform();
    const auto& second = calm.layers().leftPupil->transform();
    EXPECT_NEAR(first.ty, 0.4, 1e-9);
    EXPECT_NEAR(second.ty, 0.4, 1e-9);
    int step = 0;
    for (int k = 1; k <= 4; ++k)
        if (std::abs(first.tx - 1.65 * std::sin(1.15 * (start + 0.16 * k))) < 1e-9) step = k;
    ASSERT_NE(step, 0) << "a sweep of 1.65 points with the media time";
    EXPECT_NEAR(second.tx, 1.65 * std::sin(1.15 * (start + 0.16 * step) + 1), 1e-9) << "a radian out of step";
    for (PetView* pet : {view.get(), &calm})
        EXPECT_TRUE(pet->layers().attentionLayer->transform().isIdentity()) << "no lean while scanning";
}

TEST_F(PetEyesTest, aNearPointerDrawsALeanAndOneReachPerApproach) {
    view->setActivity(PetActivity::idle);
    const platform::Vector near{30, 10};
    pointAt({126 + near.dx, 226 + near.dy});
    look();
    const auto pose = model::CursorAttentionEngine::pose(near, PetActivity::idle);
    ASSERT_GT(pose.strength, 0.72);
    EXPECT_EQ(L().attentionLayer->transform(),
              Transform::pose(pose.offsetX, pose.offsetY, pose.rotation, pose.scaleX, pose.scaleY));
    EXPECT_FLOAT_EQ(float(L().furEchoLayer->opacity()), pose.furEchoOpacity);
    EXPECT_TRUE(view->cursorWasNear());
    const auto* reach = L().rightPaw->animation("curiousReach");
    ASSERT_NE(reach, nullptr) << "the paw on the pointer's side";
    EXPECT_EQ(L().leftPaw->animation("curiousReach"), nullptr);
    EXPECT_EQ(reach->duration, 0.46);
    // The paw stretches about its own middle: that point only moves by the reach itself.
    const Point pawMiddle{0.687 * 52, 0.1465 * 52};
    Point reached = std::get<Transform>(reach->values[1]).apply(pawMiddle);
    EXPECT_NEAR(reached.x - pawMiddle.x, 2, 1e-9);
    EXPECT_NEAR(reached.y - pawMiddle.y, 2.4, 1e-9);

    // Between the thresholds nothing changes; only backing off re-arms the reach.
    sim.loop.advance(1);
    pointAt({126 - 120, 226});
    look();
    EXPECT_GT(model::CursorAttentionEngine::pose({-120, 0}, PetActivity::idle).strength, 0.42);
    EXPECT_TRUE(view->cursorWasNear());
    EXPECT_EQ(L().leftPaw->animation("curiousReach"), nullptr);
    pointAt({126 - 190, 226});
    look();
    EXPECT_FALSE(view->cursorWasNear());
    pointAt({126 - 20, 226});
    look();
    EXPECT_NE(L().leftPaw->animation("curiousReach"), nullptr) << "a new approach, a new reach";

    view->setActivity(PetActivity::typing);
    EXPECT_TRUE(L().attentionLayer->transform().isIdentity()) << "an ineligible activity drops the lean";
}

TEST_F(PetEyesTest, underReduceMotionTheLeanIsNeutralAndThePawStaysButThePupilsFollow) {
    view->setActivity(PetActivity::idle);
    sim.accessibility.setReduceMotion(true);
    pointAt({126 + 30, 226});
    look();
    EXPECT_TRUE(L().attentionLayer->transform().isIdentity());
    EXPECT_EQ(L().attentionLayer->animation("transform"), nullptr) << "at once";
    EXPECT_EQ(L().rightPaw->animation("curiousReach"), nullptr);
    EXPECT_GT(pupilOffset().x, 0);
}

TEST_F(PetEyesTest, microMotionsTurnAlongTheEdgeAtHomeAndGlanceWhenFree) {
    // Polls the running animations, as each gesture is shorter than the timer's spread.
    auto waitFor = [&](const anim::Layer& layer, const char* key) -> const anim::Animation* {
        for (int i = 0; i < 200; ++i) {
            if (const auto* a = layer.animation(key)) return a;
            sim.loop.advance(0.05);
        }
        return nullptr;
    };
    view->setActivity(PetActivity::idle);
    const auto* glance = waitFor(*L().faceLayer, "curiousGlance");
    ASSERT_NE(glance, nullptr);
    EXPECT_EQ(glance->duration, 0.72);
    EXPECT_EQ(std::abs(std::get<double>(glance->values[1])), 1.4);
    const auto* puff = L().furEchoLayer->animation("fluffPulse");
    ASSERT_NE(puff, nullptr);
    EXPECT_EQ(std::get<double>(*puff->toValue), 0.24);
    EXPECT_EQ(puff->duration, 0.36);

    PetView calm(calmPet());
    std::shared_ptr<platform::Panel> calmWindow = sim.panels.createPanel({300, 200, 52, 52});
    calm.setWindow(calmWindow);
    calmWindow->orderFront();
    for (PetView* pet : {view.get(), &calm}) pet->setHomeAttached(true, false);
    const auto* turn = waitFor(*L().interactionLayer, "edgeBodyTurn");
    ASSERT_NE(turn, nullptr);
    EXPECT_EQ(std::get<Transform>(turn->values[1]), Transform::pose(-1.1, -0.3, -0.018, 1, 1));
    EXPECT_NE(L().faceLayer->animation("edgeLookFace"), nullptr);
    const auto* calmTurn = waitFor(*calm.layers().interactionLayer, "edgeBodyTurn");
    ASSERT_NE(calmTurn, nullptr);
    EXPECT_EQ(std::get<Transform>(calmTurn->values[1]), Transform::pose(1.1, -0.3, 0.018, 1, 1)) << "the other way";
    EXPECT_EQ(calmTurn->duration, 1.48);
}

TEST_F(PetEyesTest, noMicroMotionWhileBusyOrUnderReduceMotionButTheTimerReArms) {
    view->setActivity(PetActivity::dragged);
    PetView calm(calmPet());
    std::shared_ptr<platform::Panel> calmWindow = sim.panels.createPanel({300, 200, 52, 52});
    calm.setWindow(calmWindow);
    calmWindow->orderFront();
    sim.accessibility.setReduceMotion(true);
    for (int i = 0; i < 20; ++i) {
        sim.loop.advance(1);
        for (PetView* pet : {view.get(), &calm}) {
            EXPECT_EQ(pet->layers().faceLayer->animation("curiousGlance"), nullptr);
            EXPECT_EQ(pet->layers().furEchoLayer->animation("fluffPulse"), nullptr);
        }
    }
    EXPECT_TRUE(view->microMotionTimer()->isValid());
    EXPECT_TRUE(calm.microMotionTimer()->isValid());
}
