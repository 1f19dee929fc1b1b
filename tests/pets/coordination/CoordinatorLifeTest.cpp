#include <deque>

#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "pets/coordination/WindowGeometryReader.h"
#include "platform/Services.h"

namespace pets::testing {
namespace {

using model::PetActivity;
using model::PetLifeScene;

// The random source is scripted: `draws`, then 0.5.
struct CoordinatorLifeTest : CoordinatorTest, platform::RandomSource {
    std::deque<double> draws;
    double unit() override { return draws.empty() ? 0.5 : std::exchange(draws, {draws.begin() + 1, draws.end()})[0]; }
    void SetUp() override {
        platform::services().random = this;
        start();
        sim.loop.advance(3.9);  // before the first tick
        quiet();
    }
    void restart() {
        coordinator.reset(), model.reset();
        for (auto key : {model::keys::petsVisible, model::keys::petCount}) sim.defaults.remove(key);
        sim.windowList.windows.clear();
        SetUp();
    }
    CoordinatorTestAccess a() { return access(); }
    // Nothing falls due by itself.
    void quiet() {
        for (int i : {0, 1}) a().nextSceneAt(i) = a().nextAmbientPoseAt(i) = a().nextRelationshipAt() = 1e12;
    }
    // Both pets' activities after one tick: a scene (eating, drawn below) starts with "searching",
    // a pose with "idle".
    std::string tick() {
        draws = {0, 0.1}, access().tick();
        return std::string(rawValue(view(0).activity())) + " " + std::string(rawValue(view(1).activity()));
    }
};

TEST_F(CoordinatorLifeTest, tick_startsAtMostOneBehaviourInOrderOfPrecedence) {
    using T = CoordinatorLifeTest;
    // Each arrangement is made on top of a scene due for both pets.
    const struct {
        const char* situation;
        void (*arrange)(T&);
        const char* activities;
    } cases[] = {
        {"scene due", [](T&) {}, "searching home"},
        {"pose due", [](T& t) { t.quiet(), t.a().nextAmbientPoseAt(0) = t.a().nextAmbientPoseAt(1) = 0; }, "idle home"},
        {"next turn", [](T& t) { t.quiet(), t.tick(), t.a().nextSceneAt(1) = t.a().nextAmbientPoseAt(0) = 0; },
         "home searching"},
        {"pets hidden", [](T& t) { t.model->petsVisible = false; }, "home home"},
        {"full screen", [](T& t) { t.model->isHiddenForFullScreen = true; }, "home home"},
        {"demonstration", [](T& t) { t.coordinator->desktopDemoUntil = t.mediaNow() + 1; }, "home home"},
        {"home hold",
         [](T& t) { t.a().explicitHomeHoldUntil() = t.mediaNow() + 1, t.view(0).setActivity(PetActivity::idle); },
         "home home"},
        {"home hold over", [](T& t) { t.a().explicitHomeHoldUntil() = t.mediaNow(); }, "searching home"},
        {"focus", [](T& t) { t.model->isFocusActive = true; }, "focusing drowsy"},
        {"pets busy", [](T& t) { t.a().sceneBusyUntil(0) = t.a().sceneBusyUntil(1) = t.mediaNow() + 1; }, "home home"},
        {"first pet held", [](T& t) { t.a().beginDrag(0), t.view(0).setActivity(PetActivity::dragged); },
         "dragged searching"},
    };
    for (const auto& c : cases) {
        restart();
        access().nextSceneAt(0) = access().nextSceneAt(1) = 0;
        c.arrange(*this);
        EXPECT_EQ(tick(), c.activities) << c.situation;
    }
}

TEST_F(CoordinatorLifeTest, ambientPose_dozesAndSleepsPastEachPetsThresholdsAtEveryLevel) {
    using enum PetActivity;
    const std::tuple<int, std::optional<double>, PetActivity, PetActivity> cases[] = {
        {0, 230, home, idle},      {0, 230.01, home, drowsy}, {0, 330, home, drowsy}, {0, 330.01, home, sleeping},
        {1, 135, home, idle},      {1, 135.01, home, drowsy}, {1, 210, home, drowsy}, {1, 210.01, home, sleeping},
        {0, 1.99, typing, typing}, {0, 2, typing, idle},      {1, {}, home, idle},  // an unknown idle time is no
                                                                                    // absence
    };
    for (auto level : model::allCases<model::PetActivityLevel>) {
        model->activityLevel = level;
        for (const auto& [pet, idle, current, pose] : cases) {
            sim.idleTime.seconds = idle;
            view(pet).setActivity(current);
            access().ambientPose(pet);
            EXPECT_EQ(view(pet).activity(), pose) << pet << " idle " << idle.value_or(-1);
        }
    }
    // The last counted key is the later input.
    sim.idleTime.seconds = 400, model->lastKeyAt = now().addingTimeInterval(-150);
    access().ambientPose(1);
    EXPECT_EQ(view(1).activity(), drowsy);
}

TEST_F(CoordinatorLifeTest, interruptedScene_leavesNoStepThatMovesThePetLater) {
    const std::pair<const char*, void (*)(CoordinatorLifeTest&)> interruptions[] = {
        {"grab", [](auto& t) { t.access().beginDrag(0); }},
        {"hidden", [](auto& t) { t.model->petsVisible = false; }},
        {"full screen",
         [](auto& t) {
             t.sim.windowList.windows = {{.number = 5, .ownerPid = 99, .bounds = {0, 0, 1440, 900}}};
             t.sim.windowList.frontmostPid = 99, t.sim.loop.advance(1.6);
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
            draws = {1, side};
            access().roam(0);
            while (access().runningMotions() > 0) sim.loop.advance(0.05);
            const platform::Point to = origin(0);
            EXPECT_TRUE(to.x >= 12 && to.x <= 1376 && to.y >= 60 && to.y <= 804) << to.x << "," << to.y;
            EXPECT_TRUE(from.x != 700 || std::abs(std::hypot(to.x - from.x, to.y - from.y) - upper) < 0.01);
        }
}

}  // namespace
}  // namespace pets::testing

namespace pets::testing {
namespace {

TEST(WindowGeometryReaderTest, firstOrdinaryWindow_skipsWindowsNoPetMayWalkOnAndFlipsTheWinner) {
    const platform::WindowInfo behind{.number = 9, .ownerPid = 7, .bounds = {100, 200, 340, 180}};
    const std::pair<const char*, platform::WindowInfo> skipped[] = {
        {"own", {.number = 1, .ownerPid = 4242, .bounds = {0, 0, 800, 500}}},
        {"too narrow", {.number = 2, .ownerPid = 7, .bounds = {0, 0, 339.9, 500}}},
        {"too low", {.number = 3, .ownerPid = 7, .bounds = {0, 0, 800, 179.9}}},
        {"kept above", {.number = 4, .ownerPid = 7, .layer = platform::windowLayer::floating, .bounds = {0, 0, 800, 500}}},
        {"owner gone", {.number = 5, .ownerPid = std::nullopt, .bounds = {0, 0, 800, 500}}},
    };
    for (const auto& [why, window] : skipped)
        EXPECT_EQ(WindowGeometryReader::firstOrdinaryWindow({window, behind}, 4242, 900),
                  (WindowWalkCandidate{9, {100, 520, 340, 180}}))
            << why;
    EXPECT_EQ(WindowGeometryReader::firstOrdinaryWindow({skipped[0].second}, 4242, 900), std::nullopt);
}

TEST_F(CoordinatorLifeTest, windowWalk_goesOnWhileItsWindowStaysAndEndsWhenItMovesClosesOrIsCovered) {
    const platform::WindowInfo window{.number = 9, .ownerPid = 7, .bounds = {300, 200, 800, 500}};
    const std::tuple<const char*, std::vector<platform::WindowInfo>, bool> cases[] = {
        {"moved 5", {{.number = 9, .ownerPid = 7, .bounds = {305, 200, 800, 500}}}, true},
        {"moved 10", {{.number = 9, .ownerPid = 7, .bounds = {300, 210, 800, 500}}}, false},
        {"closed", {}, false},
        {"covered", {{.number = 8, .ownerPid = 6, .bounds = {0, 100, 900, 600}}, window}, false},
    };
    for (const auto& [what, later, kept] : cases) {
        restart();
        sim.windowList.windows = {window};
        ASSERT_TRUE(access().startWindowWalk(0));
        sim.loop.advance(1);
        sim.windowList.windows = later;
        bool walkedTheEdge = false;  // to its far end, 12 below the top edge at y = 700
        for (int i = 0; i < 200; ++i, sim.loop.advance(0.1))
            walkedTheEdge |= origin(0).x == 1018 && origin(0).y == 688;
        EXPECT_EQ(walkedTheEdge, kept) << what;
        expectNear(origin(0), kHome0);
    }
}

TEST_F(CoordinatorLifeTest, relationship_endsWithBothPetsHomeOrStopsCleanlyWhenInterrupted) {
    using model::PetRelationshipEvent;
    const std::pair<const char*, void (*)(CoordinatorLifeTest&)> interruptions[] = {
        {"none", nullptr},
        {"grab", [](auto& t) { t.access().beginDrag(0), t.view(0).setActivity(PetActivity::dragged); }},
        {"hidden", [](auto& t) { t.model->petsVisible = false; }},
        {"pet count", [](auto& t) { t.model->petCount = 1; }},
    };
    for (auto event : model::allCases<PetRelationshipEvent>)
        for (const auto& [name, interrupt] : interruptions) {
            restart();
            const size_t idle = sim.loop.pendingCount();
            EXPECT_EQ(access().performRelationship(event), event != PetRelationshipEvent::none);
            sim.loop.advance(0.2);
            const platform::Point grabbed = origin(0);
            if (interrupt) interrupt(*this), quiet();
            sim.loop.advance(12);
            const auto what = std::string(name) + " " + std::to_string(int(event));
            if (interrupt == interruptions[1].second) {
                EXPECT_EQ(view(0).activity(), PetActivity::dragged) << what;
                EXPECT_EQ(origin(0), grabbed) << what;
                continue;
            }
            expectNear(origin(0), access().homes()[0].origin);
            if (interrupt) {
                EXPECT_EQ(view(1).activity(), PetActivity::home) << what;
            } else {
                EXPECT_EQ(sim.loop.pendingCount(), idle) << what;
                expectNear(origin(1), kHome1);
            }
        }
}

}  // namespace
}  // namespace pets::testing
