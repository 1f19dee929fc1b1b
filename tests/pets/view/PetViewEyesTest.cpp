#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

#include "model/PetMotionRules.h"
#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Transform;
using model::KeyboardReactionStyle;
using model::PetActivity;
using platform::Point;

namespace {

Point centreOf(const anim::ShapeLayer& eye) {
    const auto b = eye.pathBounds();
    return {b.midX(), b.midY()};
}

// The time in the next `seconds` at which the layer's shown height is smallest (or, with
// `largest`, largest).
double extremeScaleTime(const anim::Layer& layer, double from, double seconds, bool largest = false) {
    double best = from, bestScale = layer.presentation(from).transform.sy;
    for (double t = from; t <= from + seconds; t += 0.002) {
        const double sy = layer.presentation(t).transform.sy;
        if (largest ? sy > bestScale : sy < bestScale) best = t, bestScale = sy;
    }
    return best;
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
        for (auto [part, eye] : {std::pair{parts.leftEye.get(), parts.leftEye.get()},
                                 std::pair{parts.rightEye.get(), parts.rightEye.get()},
                                 std::pair{parts.leftPupil.get(), parts.leftEye.get()},
                                 std::pair{parts.rightPupil.get(), parts.rightEye.get()}}) {
            const Point center = centreOf(*eye);
            const Transform model = part->transform();
            const Transform mid = part->presentation(extremeScaleTime(*part, t0, 0.5)).transform;
            const char* name = part->name.c_str();
            EXPECT_LT(mid.sy, model.sy * 0.2) << name << " " << model::rawValue(activity) << ": shut";
            EXPECT_NEAR(mid.apply(center).y, model.apply(center).y, 1e-9) << name << ": the centre line stays";
            EXPECT_NEAR(mid.apply(center).x, model.apply(center).x, 1e-9) << name;
            EXPECT_EQ(part->presentation(t0).transform, model) << name << ": no jump as it starts";
            EXPECT_EQ(part->presentation(t0 + 1).transform, model) << name << ": and open again";
        }
    }
}

TEST_F(PetEyesTest, pupilsBlinkAboutTheirGazeEvenWhenTheGazeMovesMidBlink) {
    pointAt({126 + 400, 226 - 85});
    look();
    const Point far = pupilOffset();
    EXPECT_GT(far.x, 0);
    EXPECT_LT(far.y, 0);

    sim.loop.advance(0.1);  // the next gaze step is 0.04 s away
    const double t0 = now();
    view->reactToKeyPress(KeyboardReactionStyle::blink, 0.5);
    pointAt({126 - 400, 226});
    // The next gaze step falls inside the blink.
    while (pupilOffset().x > 0) sim.loop.advance(0.01);
    const double t = now() + 0.02;
    ASSERT_LT(t, t0 + 0.16);
    const auto shown = L().leftPupil->presentation(t).transform;
    EXPECT_LT(shown.sy, 0.9) << "the glide does not swallow the blink";
    EXPECT_GT(shown.tx, -far.x) << "the pupils glide over";
    look();
    EXPECT_EQ(L().leftPupil->presentation(now()).transform, Transform::translation(-far.x, 0)) << "as far the other way";
}

TEST_F(PetViewTest, theReduceMotionPulseSwellsEachEyeAboutItsOwnCentre) {
    view->setActivity(PetActivity::laughing);
    settle();
    sim.accessibility.setReduceMotion(true);
    sim.loop.runPending();
    const double t0 = now();
    view->reactToKeyPress(KeyboardReactionStyle::tilt, 0.5);
    for (const anim::ShapeLayer* eye : {L().leftEye.get(), L().rightEye.get()}) {
        const Point center = centreOf(*eye);
        const Transform model = eye->transform();
        const Transform peak = eye->presentation(extremeScaleTime(*eye, t0, 0.5, true)).transform;
        EXPECT_GT(peak.sx, 1.05) << "swells";
        EXPECT_NEAR(peak.sy / model.sy, peak.sx, 1e-9) << "evenly";
        EXPECT_NEAR(peak.apply(center).x, model.apply(center).x, 1e-9) << eye->name;
        EXPECT_NEAR(peak.apply(center).y, model.apply(center).y, 1e-9) << eye->name;
        EXPECT_EQ(eye->presentation(t0 + 1).transform, model) << "and back";
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
    EXPECT_GT(firstBlink, 1) << "not at once";
    EXPECT_NE(view->blinkTimer(), nullptr) << "the next blink is armed";

    sim.loop.advance(6);
    EXPECT_EQ(calm.layers().leftEye->animation("blink"), nullptr);
    EXPECT_TRUE(calm.blinkTimer() && calm.blinkTimer()->isValid()) << "a sleeping pet's timer re-arms";
}

TEST_F(PetEyesTest, pupilsFollowThePointerWithinAPointAndAQuarter) {
    view->setActivity(PetActivity::typing);
    pointAt({126 + 85, 226 + 34});
    look();
    const Point near = pupilOffset();
    EXPECT_GT(near.x, near.y) << "toward the pointer";
    EXPECT_GT(near.y, 0);
    EXPECT_EQ(L().rightPupil->transform(), L().leftPupil->transform());
    pointAt({126 - 1000, 226 + 1000});
    look();
    EXPECT_NEAR(pupilOffset().x, -1.25, 1e-9) << "no further than a point and a quarter";
    EXPECT_NEAR(pupilOffset().y, 1.25, 1e-9);
    EXPECT_GT(1.25, near.x);

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

TEST_F(PetEyesTest, looksSlowDownWhileNothingMovesTheGazeAndTheEyesStillFollowANewMove) {
    const struct {
        const char* what;
        PetActivity activity;
        bool homeAttached;
        bool rests;
    } cases[] = {
        {"a still pointer", PetActivity::idle, false, true},
        {"a sleeping pet", PetActivity::sleeping, false, true},
        {"a pet sweeping its gaze along its edge: the sweep runs by itself", PetActivity::home, true, true},
    };
    for (const auto& c : cases) {
        view->setHomeAttached(c.homeAttached, false);
        view->setActivity(c.activity);
        pointAt({126 + 300, 226});
        sim.loop.advance(3);
        EXPECT_EQ(view->gazeResting(), c.rests) << c.what;
    }
    view->setHomeAttached(false, false);
    view->setActivity(PetActivity::idle);
    pointAt({126 + 300, 226});
    sim.loop.advance(3);
    ASSERT_TRUE(view->gazeResting());
    ASSERT_GT(pupilOffset().x, 1);
    pointAt({126 - 300, 226});
    // Within the resting looks' pace.
    for (int i = 0; i < 150 && pupilOffset().x >= -1; ++i) sim.loop.advance(0.01);
    EXPECT_LT(pupilOffset().x, -1) << "a resting gaze still catches a new move";
    EXPECT_FALSE(view->gazeResting()) << "and follows it closely again";
}

TEST_F(PetEyesTest, atHomeThePetsSweepTheirGazeOutOfStep) {
    PetView calm(calmPet());
    std::shared_ptr<platform::Panel> calmWindow = sim.panels.createPanel({300, 200, 52, 52});
    calm.setWindow(calmWindow);
    calmWindow->orderFront();
    for (PetView* pet : {view.get(), &calm}) pet->setHomeAttached(true, false);
    pointAt({126, 226});
    std::set<double> sweep;
    for (int i = 0; i < 6; ++i) {
        look();
        const double now = sim.loop.mediaTime();
        const auto first = L().leftPupil->presentation(now).transform;
        const auto second = calm.layers().leftPupil->presentation(now).transform;
        EXPECT_GT(first.ty, 0) << "looking up and out";
        EXPECT_EQ(first.ty, second.ty);
        EXPECT_NE(first.tx, second.tx) << "out of step";
        sweep.insert(first.tx);
    }
    EXPECT_GT(sweep.size(), 3u) << "the gaze sweeps";
    EXPECT_TRUE(view->gazeResting()) << "without looks";
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
    // The paw stretches about its own middle, out toward the pointer.
    const Point pawMiddle = centreOf(*L().rightPaw);
    Point reached = std::get<Transform>(reach->values[1]).apply(pawMiddle);
    EXPECT_GT(reached.x - pawMiddle.x, 1);
    EXPECT_GT(reached.y - pawMiddle.y, 1);

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

    // Turned on while a lean shows, it ends the lean at once.
    sim.accessibility.setReduceMotion(false);
    sim.loop.runPending();
    pointAt({126 + 25, 226 + 5});
    look();
    ASSERT_FALSE(L().attentionLayer->transform().isIdentity());
    sim.accessibility.setReduceMotion(true);
    sim.loop.runPending();
    EXPECT_TRUE(L().attentionLayer->presentation(now()).transform.isIdentity());
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
    ASSERT_NE(waitFor(*L().faceLayer, "curiousGlance"), nullptr);
    EXPECT_NE(L().furEchoLayer->animation("fluffPulse"), nullptr) << "the fur puffs with the glance";

    PetView calm(calmPet());
    std::shared_ptr<platform::Panel> calmWindow = sim.panels.createPanel({300, 200, 52, 52});
    calm.setWindow(calmWindow);
    calmWindow->orderFront();
    for (PetView* pet : {view.get(), &calm}) pet->setHomeAttached(true, false);
    const auto* turn = waitFor(*L().interactionLayer, "edgeBodyTurn");
    ASSERT_NE(turn, nullptr);
    const double along = std::get<Transform>(turn->values[1]).tx;
    EXPECT_NE(L().faceLayer->animation("edgeLookFace"), nullptr);
    const auto* calmTurn = waitFor(*calm.layers().interactionLayer, "edgeBodyTurn");
    ASSERT_NE(calmTurn, nullptr);
    EXPECT_LT(std::get<Transform>(calmTurn->values[1]).tx * along, 0) << "the other way";
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
