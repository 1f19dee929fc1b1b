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
        {"focus, pets docked again",
         [](T& t) {
             t.sim.accessibility.setReduceMotion(true), t.model->isFocusActive = true;
             t.sim.accessibility.setReduceMotion(false);
             t.a().sceneBusyUntil(0) = t.a().sceneBusyUntil(1) = t.mediaNow();
         },
         "focusing drowsy"},
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

TEST(WindowGeometryReaderTest, firstOrdinaryWindow_skipsWindowsNoPetMayWalkOnAndFlipsTheWinner) {
    auto window = [](uint32_t n, std::optional<int32_t> pid, double w, double h, int layer = 0) {
        return platform::WindowInfo{.number = n, .ownerPid = pid, .layer = layer, .bounds = {100, 200, w, h}};
    };
    const std::pair<const char*, platform::WindowInfo> skipped[] = {
        {"own", window(1, 4242, 800, 500)},
        {"too narrow", window(2, 7, 339.9, 500)},
        {"too low", window(3, 7, 800, 179.9)},
        {"kept above", window(4, 7, 800, 500, platform::windowLayer::floating)},
    };
    for (const auto& [why, skip] : skipped)
        EXPECT_EQ(WindowGeometryReader::firstOrdinaryWindow({skip, window(9, 7, 340, 180)}, 4242, 900),
                  (WindowWalkCandidate{9, {100, 520, 340, 180}}))
            << why;
    // A window that names no process is another program's: it wins like any other.
    EXPECT_EQ(WindowGeometryReader::firstOrdinaryWindow({window(5, std::nullopt, 800, 500), window(9, 7, 340, 180)},
                                                        4242, 900),
              (WindowWalkCandidate{5, {100, 200, 800, 500}}));
}

TEST_F(CoordinatorLifeTest, windowWalk_goesOnWhileItsWindowStaysAndEndsWhenItMovesClosesOrIsCovered) {
    auto at = [](double x, double y, uint32_t n = 9, std::optional<int32_t> pid = 7) {
        return platform::WindowInfo{.number = n, .ownerPid = pid, .bounds = {x, y, 800, 500}};
    };
    const std::tuple<const char*, std::vector<platform::WindowInfo>, bool> cases[] = {
        {"moved 5", {at(305, 200)}, true},
        {"moved 10", {at(300, 210)}, false},
        {"closed", {}, false},
        {"covered", {at(250, 150, 8), at(300, 200)}, false},
        {"covered by a window naming no process", {at(250, 150, 8, std::nullopt), at(300, 200)}, false},
    };
    for (const auto& [what, later, kept] : cases) {
        restart();
        sim.windowList.windows = {at(300, 200)};
        ASSERT_TRUE(access().startWindowWalk(0));
        sim.loop.advance(1);
        sim.windowList.windows = later;
        bool walkedTheEdge = false;  // to its far end, 12 below the top edge at y = 700
        for (int i = 0; i < 200; ++i, sim.loop.advance(0.1)) walkedTheEdge |= origin(0).x == 1018 && origin(0).y == 688;
        EXPECT_EQ(walkedTheEdge, kept) << what;
        expectNear(origin(0), kHome0);
    }
}

TEST_F(CoordinatorLifeTest, relationship_endsWithBothPetsHomeOrStopsCleanlyWhenInterrupted) {
    const std::pair<const char*, void (*)(CoordinatorLifeTest&)> interruptions[] = {
        {"none", nullptr},
        {"grab", [](auto& t) { t.access().beginDrag(0), t.view(0).setActivity(PetActivity::dragged); }},
        {"hidden", [](auto& t) { t.model->petsVisible = false; }},
        {"pet count", [](auto& t) { t.model->petCount = 1; }},
    };
    for (auto event : model::allCases<model::PetRelationshipEvent>)
        for (const auto& [name, interrupt] : interruptions) {
            restart();
            const size_t idle = sim.loop.pendingCount();
            access().performRelationship(event);
            sim.loop.advance(0.2);
            const bool grab = interrupt == interruptions[1].second;
            const platform::Point held = origin(0);
            if (interrupt) interrupt(*this), quiet();
            sim.loop.advance(12);
            const bool home = view(0).activity() == PetActivity::home && view(1).activity() == PetActivity::home;
            // Held where it was grabbed; after any other interruption home, where that put the pets.
            EXPECT_TRUE(grab        ? view(0).activity() == PetActivity::dragged && origin(0) == held
                        : interrupt ? home && origin(0) == access().homes()[0].origin
                                    : sim.loop.pendingCount() == idle && origin(0) == kHome0 && origin(1) == kHome1)
                << name << int(event);
        }
}

}  // namespace
}  // namespace pets::testing
