#include <deque>

#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "platform/Services.h"

namespace pets::testing {
namespace {

using model::PetActivity;
using model::PetLifeScene;

struct ScriptedRandom final : platform::RandomSource {
    std::deque<double> units;
    double unit() override {
        const double u = units.empty() ? 0.5 : units.front();
        if (!units.empty()) units.pop_front();
        return u;
    }
};

struct CoordinatorLifeTest : CoordinatorTest {
    ScriptedRandom draws;
    void SetUp() override {
        platform::services().random = &draws;
        start();
        sim.loop.advance(3.9);  // before the first tick
        quiet();
    }
    void restart() {
        coordinator.reset(), model.reset();
        for (const char* key : {model::keys::petsVisible, model::keys::windowWalkingEnabled, model::keys::petCount})
            sim.defaults.remove(key);
        sim.windowList.windows.clear();
        SetUp();
    }
    // Nothing falls due by itself: each case says what is due.
    void quiet() {
        for (int i : {0, 1}) access().nextSceneAt(i) = access().nextAmbientPoseAt(i) = 1e12;
        access().nextRelationshipAt() = 1e12;
    }
    // What one tick started: "scene N", "pose N", the activities it set, or "none".
    std::string tickOutcome() {
        const double poseAt[] = {access().nextAmbientPoseAt(0), access().nextAmbientPoseAt(1)};
        access().tick();
        std::string out;
        for (int i : {0, 1}) {
            if (!access().mayStartClip(model::PetClipKind::typing, i) && access().mayStartClip(model::PetClipKind::milestoneSign, i)) out += "scene " + std::to_string(i) + ";";
            if (access().nextAmbientPoseAt(i) != poseAt[i]) out += "pose " + std::to_string(i) + ";";
        }
        if (out.empty() && view(0).activity() != PetActivity::home) out = std::string(rawValue(view(0).activity()));
        return out.empty() ? "none" : out;
    }
};

TEST_F(CoordinatorLifeTest, tick_startsAtMostOneBehaviourInOrderOfPrecedence) {
    const struct {
        const char* situation;
        std::function<void(CoordinatorLifeTest&)> arrange;
        const char* started;
    } cases[] = {
        {"nothing due", [](auto&) {}, "none"},
        {"scene due", [](auto& t) { t.access().nextSceneAt(0) = t.access().nextSceneAt(1) = 0; }, "scene 0;"},
        {"pose due", [](auto& t) { t.access().nextAmbientPoseAt(0) = t.access().nextAmbientPoseAt(1) = 0; },
         "pose 0;"},
        {"scene and pose due on the second pet's turn",
         [](auto& t) { t.access().nextSceneAt(1) = t.access().nextAmbientPoseAt(0) = 0, t.access().tick(); },
         "scene 1;"},
        {"pets hidden", [](auto& t) { t.model->petsVisible = false, t.access().nextSceneAt(0) = 0; }, "none"},
        {"full screen", [](auto& t) { t.model->isHiddenForFullScreen = true, t.access().nextSceneAt(0) = 0; }, "none"},
        {"homes out of step", [](auto& t) { t.access().homes().pop_back(), t.access().nextSceneAt(0) = 0; }, "none"},
        {"demonstration", [](auto& t) { t.coordinator->desktopDemoUntil = t.mediaNow() + 1, t.access().nextSceneAt(0) = 0; },
         "none"},
        {"home hold", [](auto& t) { t.access().explicitHomeHoldUntil() = t.mediaNow() + 1, t.view(0).setActivity(PetActivity::idle); },
         "none"},
        {"home hold over", [](auto& t) { t.access().explicitHomeHoldUntil() = t.mediaNow(), t.access().nextSceneAt(0) = 0; },
         "scene 0;"},
        {"focus", [](auto& t) { t.model->isFocusActive = true, t.access().nextSceneAt(0) = 0; }, "focusing"},
        {"pets busy", [](auto& t) { t.access().sceneBusyUntil(0) = t.access().sceneBusyUntil(1) = t.mediaNow() + 1, t.access().nextSceneAt(0) = 0; },
         "none"},
        {"first pet held", [](auto& t) { t.access().beginDrag(0), t.access().nextSceneAt(1) = 0; }, "scene 1;"},
        {"walks on, own window in front",
         [](auto& t) { t.model->windowWalkingEnabled = true, t.sim.windowList.frontmostPid = 4242, t.access().nextSceneAt(0) = 0; },
         "scene 0;"},
        {"relationship due", [](auto& t) { t.access().nextRelationshipAt() = 0, t.access().nextAmbientPoseAt(0) = 0; },
         "pose 0;"},
    };
    for (const auto& c : cases) {
        restart();
        c.arrange(*this);
        EXPECT_EQ(tickOutcome(), c.started) << c.situation;
    }
}

TEST_F(CoordinatorLifeTest, ambientPose_dozesAndSleepsPastEachPetsThresholdsAtEveryLevel) {
    using enum PetActivity;
    const struct {
        int pet;
        std::optional<double> idle, lastKeyAgo;
        PetActivity current;
        double roll, pose;  // unit draws
        PetActivity expected;
    } cases[] = {
        {0, 230, {}, home, 0.5, 0.5, idle},     {0, 230.01, {}, home, 0.5, 0.5, drowsy},
        {0, 330, {}, home, 0.5, 0.5, drowsy},   {0, 330.01, {}, home, 0.5, 0.5, sleeping},
        {1, 135, {}, home, 0.5, 0.5, idle},     {1, 135.01, {}, home, 0.5, 0.5, drowsy},
        {1, 210, {}, home, 0.5, 0.5, drowsy},   {1, 210.01, {}, home, 0.5, 0.5, sleeping},
        {1, 400, {}, sleeping, 0, 0.45, dreaming}, {1, 400, {}, sleeping, 0, 0.4, sleeping},
        {0, 1.99, {}, typing, 0, 0.5, typing},  {0, 2, {}, typing, 0, 0.5, idle},
        {0, 100, {}, home, 0, 0.56, peeking},   {1, 400, 150, home, 0, 0.5, drowsy},
        {1, {}, {}, home, 0, 0.5, idle},  // a desktop that cannot tell is attended
    };
    for (auto level : model::allCases<model::PetActivityLevel>) {
        model->activityLevel = level;
        for (const auto& c : cases) {
            sim.idleTime.seconds = c.idle;
            model->lastKeyAt = c.lastKeyAgo ? std::optional(now().addingTimeInterval(-*c.lastKeyAgo)) : std::nullopt;
            view(c.pet).setActivity(c.current);
            draws.units = {c.roll, c.pose};
            access().ambientPose(c.pet);
            EXPECT_EQ(view(c.pet).activity(), c.expected) << c.pet << " idle " << c.idle.value_or(-1);
        }
    }
}

TEST_F(CoordinatorLifeTest, interruptedScene_leavesNoStepThatMovesThePetLater) {
    const std::pair<const char*, std::function<void(CoordinatorLifeTest&)>> interruptions[] = {
        {"grab", [](auto& t) { t.access().beginDrag(0); }},
        {"hidden", [](auto& t) { t.model->petsVisible = false; }},
        {"full screen",
         [](auto& t) {
             t.sim.windowList.frontmostPid = 99;
             t.sim.windowList.windows = {{.number = 5, .ownerPid = 99, .bounds = {0, 0, 1440, 900}}};
             t.sim.loop.advance(1.6);
         }},
        {"pet count", [](auto& t) { t.model->petCount = 1; }},
    };
    for (auto scene : {PetLifeScene::eating, PetLifeScene::running})
        for (const auto& [name, interrupt] : interruptions) {
            restart();
            access().playLifeScene(scene, 0);
            sim.loop.advance(1);
            interrupt(*this);
            quiet();
            const platform::Point at = origin(0);
            sim.loop.advance(30);
            EXPECT_EQ(origin(0), at) << name << " " << int(scene);
        }
}

TEST_F(CoordinatorLifeTest, roam_staysInsideTheHomeScreensVisibleFrameAndItsLongestReach) {
    const double upper = model->cadenceProfile().roamDistance.upperBound;
    for (platform::Point from : {platform::Point{0, 40}, {1420, 40}, {0, 880}, {1420, 880}, {700, 400}})
        for (double side : {0.0, 0.9}) {
            putAway(0, from);
            draws.units = {1, side};
            access().roam(0);
            while (access().runningMotions() > 0) sim.loop.advance(0.05);
            const platform::Point to = origin(0);
            EXPECT_TRUE(to.x >= 12 && to.x <= 1376 && to.y >= 60 && to.y <= 804) << to.x << "," << to.y;
            if (from.x == 700) {
                EXPECT_NEAR(std::hypot(to.x - from.x, to.y - from.y), upper, 0.01);
            }
        }
}

}  // namespace
}  // namespace pets::testing
