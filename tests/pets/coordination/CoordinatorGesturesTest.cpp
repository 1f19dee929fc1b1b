#include <functional>

#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "platform/Services.h"

namespace pets::testing {
namespace {

using model::HomeEdge;
using model::PetActivity;
using platform::Point;
using Type = platform::PanelMouseEvent::Type;

// The sim display's visible frame is (0, 48)-(1440, 868), its top bar 32 points high.
struct CoordinatorGesturesTest : CoordinatorTest {
    void SetUp() override { start(); }
    // A press on pet 0's body and a drag `up` points up, held; without a drag, a click.
    void grab(double up) {
        panel(0).sendMouse(Type::down, {26, 30});
        panel(0).sendMouse(up == 0 ? Type::up : Type::dragged, {26, 30 + up});
    }
    void drop(Point at, platform::Vector velocity = {}) {
        access().beginDrag(0);
        access().finishDrag({at, velocity}, 0);
    }
    void type(int64_t sequence) {
        model->keyboardReaction = model::KeyboardReactionEvent{platform::uuids().next(), {}, 0.6, sequence};
    }
};

TEST_F(CoordinatorGesturesTest, drop_landsAheadOfTheThrowInsideTheScreenOrPerchesOnANearEdge) {
    const struct {
        Point release;
        platform::Vector velocity;
        Point rest;
        std::optional<HomeEdge> perch;
    } cases[] = {
        {{600, 400}, {2000, 0}, {654, 400}, {}},  // at most 720 pt/s for 0.075 s
        {{18, 400}, {}, {-22, 400}, HomeEdge::left},
        {{19, 400}, {}, {19, 400}, {}},
        {{1378, 400}, {}, {1410, 400}, HomeEdge::right},
        {{600, 58}, {}, {600, 26}, HomeEdge::bottom},
        {{600, 806}, {}, {600, 844}, HomeEdge::top},
        {{-300, -200}, {}, {-22, 56}, HomeEdge::left},  // clamped to (4, 52) first
    };
    for (const auto& c : cases) {
        drop(c.release, c.velocity);
        sim.loop.advance(1);
        expectNear(origin(0), c.rest);
        EXPECT_EQ(view(0).manualPerchEdge(), c.perch) << c.release.x << "," << c.release.y;
    }
}

TEST_F(CoordinatorGesturesTest, droppedPet_waitsTheChosenStayThenGoesHomeWithItsHomeLook) {
    using enum model::DragStayDuration;
    for (auto [stay, seconds] : {std::pair{short_, 15}, {minute, 60}, {untilCalledHome, 100}}) {
        model->dragStayDuration = stay;
        drop({18, 400});
        sim.loop.advance(seconds - 0.1);
        expectNear(origin(0), {-22, 400});
        sim.loop.advance(8);
        EXPECT_EQ(origin(0) == kHome0, stay != untilCalledHome);
        EXPECT_EQ(view(0).homeKind() == access().homes()[0].kind, stay != untilCalledHome);
    }
    model->dragStayDuration = minute;  // a new setting restarts the wait of the pet still waiting
    sim.loop.advance(10);
    model->dragStayDuration = short_;
    sim.loop.advance(15.1);
    EXPECT_NE(origin(0), (Point{-22, 400}));
}

TEST_F(CoordinatorGesturesTest, petsAwayFromHome_countsThePetsCarriedDroppedOrOutAndNoneResting) {
    model->dragStayDuration = model::DragStayDuration::short_;
    sim.loop.advance(4);
    // No behaviour of their own: the pets go out only when the steps send them.
    auto a = access();
    for (int i : {0, 1}) a.nextSceneAt(i) = a.nextAmbientPoseAt(i) = 1e12;
    a.nextRelationshipAt() = 1e12;
    const Point open{600, 400}, edge{18, 400};
    const model::PetDragRelease letGo{open, {}};
    const struct {
        const char* step;
        std::function<void()> act;
        double wait;
        int away;
    } steps[] = {
        {"resting at home", [] {}, 0, 0},
        {"pet 0 picked up", [&] { access().beginDrag(0); }, 0, 1},
        {"dropped in the open", [&] { access().finishDrag(letGo, 0); }, 1, 1},
        {"dropped again, clinging to a screen edge", [&] { drop(edge); }, 1, 1},
        {"pet 1 out for a walk as well", [&] { access().roam(1); }, 0.5, 2},
        {"both sent home", [&] { coordinator->sendPetsHome(false, false); }, 0, 0},
        {"dropped, then its stay is over", [&] { drop(open); }, 15 + 8, 0},
        {"dropped once more", [&] { drop(open); }, 1, 1},
        {"the pets hidden", [&] { model->petsVisible = false; }, 0, 0},
        {"shown again", [&] { model->petsVisible = true; }, 1, 0},
    };
    for (const auto& s : steps) {
        s.act();
        sim.loop.advance(s.wait);
        EXPECT_EQ(model->petsAwayFromHome.get(), s.away) << s.step;
    }
}

TEST_F(CoordinatorGesturesTest, tapThenGrabWithinTheCelebration_leavesTheHeldPetAlone) {
    model->keyCountingEnabled = true;
    sim.loop.advance(4);  // the first placement has run its course
    grab(0);
    EXPECT_EQ(view(0).activity(), PetActivity::celebrating);
    EXPECT_EQ(view(1).activity(), PetActivity::greeting);
    sim.loop.advance(0.5);
    grab(300);
    const Point held = origin(0);
    EXPECT_EQ(panel(0).clipRect(), std::nullopt);  // out of its home, the pet shows whole
    sim.loop.advance(1);                           // the celebration is over
    model->keyboardMilestone = 100;
    sim.loop.advance(2);
    EXPECT_EQ(view(0).activity(), PetActivity::dragged);
    EXPECT_EQ(origin(0), held);
    EXPECT_EQ(view(1).activity(), PetActivity::idle);
}

TEST_F(CoordinatorGesturesTest, typing_aPetThatIsHiddenHeldOrInASceneSitsTheKeyOut) {
    for (const auto& [name, close] : std::initializer_list<std::pair<const char*, std::function<void()>>>{
             {"hidden", [&] { model->petsVisible = false; }},
             {"full screen", [&] { model->isHiddenForFullScreen = true; }},
             {"dragged", [&] { grab(40); }},
             {"scene", [&] { access().claimClip(model::PetClipKind::lifeScene, 0, 10); }}}) {
        coordinator.reset();
        model->petsVisible = true, model->isHiddenForFullScreen = false, model->keyboardReaction = std::nullopt;
        start();
        close();
        type(0);
        EXPECT_NE(view(0).activity(), PetActivity::typing) << name;
    }
    type(2);  // the other pet joins every third key, a little later
    EXPECT_NE(view(1).activity(), PetActivity::typing);
    sim.loop.advance(0.17);
    EXPECT_EQ(view(1).activity(), PetActivity::typing);
}

TEST_F(CoordinatorGesturesTest, milestones_alternateBetweenThePetsAndWaitTheirTurn) {
    model->keyCountingEnabled = true;
    for (int64_t count : {100, 200, 300}) model->keyboardMilestone = count;
    const double t0 = mediaNow();
    for (auto [at, pet, count] : {std::tuple{0.4, 0, 100}, {5.9, 1, 200}, {11.4, 0, 300}}) {
        sim.loop.advance(t0 + at - mediaNow());
        EXPECT_EQ(view(pet).displayedCount(), count);
        EXPECT_EQ(view(pet).activity(), PetActivity::showingCount);
    }
    // Without a home to step out from, a milestone is dropped untouched.
    sim.screens.setScreens({});
    sim.loop.advance(10);
    model->keyboardMilestone = 400;
    EXPECT_FALSE(access().activeMilestonePetID());
}

// ---- what the user's hands leave behind

struct CoordinatorHandsTest : CoordinatorPlayTest {};

TEST_F(CoordinatorHandsTest, petPickedUpMidwayThroughAnything_staysInTheHand) {
    using T = CoordinatorHandsTest;
    const auto signOnPerch = [](T& t) {
        t.drop(0, {18, 400}), t.sim.loop.advance(1), t.type(0, model::KeyboardReactionStyle::showCount);
    };
    const auto dropOnEdge = [](T& t) { t.drop(0, {18, 400}); };
    // What the pet was doing, and how long after it began the user picks it up.
    const struct {
        const char* doing;
        std::function<void(T&)> begin;
        double grabAfter;
        std::function<void(T&)> thenWhileHeld;
    } cases[] = {
        {"hopping out of its home at a key", [](T& t) { t.type(0); }, 0.2, nullptr},
        {"holding up the count sign at home", [](T& t) { t.type(0, model::KeyboardReactionStyle::showCount); }, 1,
         nullptr},
        {"stepping off its edge perch to hold up the count sign", signOnPerch, 0.1, nullptr},
        {"holding up the count sign beside its edge perch", signOnPerch, 1, nullptr},
        {"walking back onto its edge perch after the count sign", signOnPerch, 3.3, nullptr},
        {"showing a milestone", [](T& t) { t.model->keyCountingEnabled = true, t.model->keyboardMilestone = 100; }, 1,
         nullptr},
        {"walking up to the edge it was dropped at", dropOnEdge, 0.2, nullptr},
        {"slipping under the edge it was dropped at", dropOnEdge, 0.45, nullptr},
        {"celebrating a tap", [](T& t) { t.access().beginDrag(0), t.access().celebrate(0); }, 0.5, nullptr},
        {"presenting a reminder", [](T& t) { t.model->wellbeingAction = model::WellbeingAction::stretch; }, 2, nullptr},
        {"nothing, held past the claim of a pick-up and typed at", [](T&) {}, 0,
         [](T& t) { t.sim.loop.advance(31), t.type(0), t.type(0, model::KeyboardReactionStyle::showCount); }},
    };
    for (const auto& c : cases) {
        restart();
        c.begin(*this);
        sim.loop.advance(c.grabAfter);
        const Point held = grab(0, 40);
        if (c.thenWhileHeld) c.thenWhileHeld(*this);
        sim.loop.advance(6);
        EXPECT_EQ(origin(0), held) << c.doing;
        EXPECT_EQ(view(0).activity(), PetActivity::dragged) << c.doing;
        EXPECT_FALSE(view(0).isHomeAttached()) << c.doing;
        EXPECT_FALSE(access().reminderPanel() && access().reminderPanel()->isVisible()) << c.doing;
    }
}

TEST_F(CoordinatorHandsTest, dropNearAnEdge_walksUpSlipsUnderTheEdgeAndComesOutToCling) {
    // Each edge with the direction that leads beyond it.
    const struct {
        Point release;
        HomeEdge edge;
        platform::Vector out;
    } cases[] = {
        {{18, 400}, HomeEdge::left, {-1, 0}},
        {{1378, 400}, HomeEdge::right, {1, 0}},
        {{600, 58}, HomeEdge::bottom, {0, -1}},
        {{600, 806}, HomeEdge::top, {0, 1}},
    };
    for (const auto& c : cases) {
        restart();
        drop(0, c.release);
        std::vector<Point> path;
        for (int i = 0; i < 60; ++i, sim.loop.advance(0.02)) path.push_back(origin(0));
        const Point rest = origin(0);
        double deepest = -1e9;
        for (Point p : path) deepest = std::max(deepest, (p.x - rest.x) * c.out.dx + (p.y - rest.y) * c.out.dy);
        EXPECT_GT(deepest, 1) << "tucked under the edge before clinging: " << int(c.edge);
        EXPECT_EQ(view(0).manualPerchEdge(), c.edge);
        EXPECT_TRUE(view(0).isHomeAttached());
        sim.loop.advance(1);
        EXPECT_EQ(origin(0), rest);
    }
}

TEST_F(CoordinatorHandsTest, tap_celebratesWhereThePetIsAndLeavesBothPetsWhereTheyBelong) {
    using T = CoordinatorHandsTest;
    using enum PetActivity;
    const Point landing0{600, 400}, landing1{900, 400};
    // What each pet shows once the celebration is over, and where it rests in the end.
    const struct {
        const char* situation;
        std::function<void(T&)> arrange;
        PetActivity during1, after0, after1;
        Point rest0, rest1;
    } cases[] = {
        {"both at home", [](T&) {}, greeting, idle, idle, kHome0, kHome1},
        {"tapped out on a hop at a key", [](T& t) { t.type(0), t.sim.loop.advance(0.2); }, greeting, idle, idle, kHome0,
         kHome1},
        {"tapped after being dropped", [&](T& t) { t.drop(0, landing0), t.sim.loop.advance(1); }, greeting, perched,
         idle, landing0, kHome1},
        {"tapped in a pose away from home",
         [](T& t) {
             t.coordinator->performDesktopPose(playing, model::DesktopDemoTarget::first), t.sim.loop.advance(0.5);
         },
         greeting, home, idle, kHome0, kHome1},
        {"the other pet in a pose away from home",
         [](T& t) {
             t.coordinator->performDesktopPose(playing, model::DesktopDemoTarget::second), t.sim.loop.advance(0.5);
         },
         greeting, idle, home, kHome0, kHome1},
        {"the other pet dropped", [&](T& t) { t.drop(1, landing1), t.sim.loop.advance(1); }, greeting, idle, perched,
         kHome0, landing1},
        {"the other pet tapped a moment before", [](T& t) { t.tap(1), t.sim.loop.advance(2); }, idle, idle, idle,
         kHome0, kHome1},
    };
    for (const auto& c : cases) {
        restart();
        model->dragStayDuration = model::DragStayDuration::untilCalledHome;
        c.arrange(*this);
        tap(0);
        EXPECT_EQ(view(0).activity(), celebrating) << c.situation;
        EXPECT_EQ(view(1).activity(), c.during1) << c.situation;
        sim.loop.advance(1.5);
        EXPECT_EQ(view(0).activity(), c.after0) << c.situation;
        EXPECT_EQ(view(1).activity(), c.after1) << c.situation;
        sim.loop.advance(8);
        EXPECT_EQ(origin(0), c.rest0) << c.situation;
        EXPECT_EQ(origin(1), c.rest1) << c.situation;
    }
}

TEST_F(CoordinatorHandsTest, tapOnADroppedPet_startsItsWholeStayAgain) {
    model->dragStayDuration = model::DragStayDuration::short_;
    const double dropped = mediaNow();
    drop(0, {600, 400});
    sim.loop.advance(1);
    while (origin(0) != kHome0 && mediaNow() < dropped + 120) sim.loop.advance(0.5);
    const double wentHome = mediaNow() - dropped;
    ASSERT_LT(wentHome, 120);

    drop(0, {600, 400});
    sim.loop.advance(wentHome / 2);
    tap(0);
    sim.loop.advance(wentHome / 2 + 2);  // the first stay would be over
    EXPECT_EQ(origin(0), (Point{600, 400}));
    EXPECT_EQ(view(0).activity(), PetActivity::perched);
    sim.loop.advance(60);  // the claim of the press may hold the return for another stay
    EXPECT_EQ(origin(0), kHome0);
}

TEST_F(CoordinatorHandsTest, secondTapWithinACelebration_celebratesItsWholeTimeAgain) {
    tap(0);
    sim.loop.advance(1);
    tap(0);
    sim.loop.advance(0.5);  // past the first celebration's end
    EXPECT_EQ(view(0).activity(), PetActivity::celebrating);
    sim.loop.advance(1);
    EXPECT_EQ(view(0).activity(), PetActivity::idle);
}

TEST_F(CoordinatorHandsTest, petDroppedWhileSentHome_staysWhereItWasDropped) {
    grab(0, 40);
    access().movePetHome(0, true);
    access().finishDrag({{600, 400}, {}}, 0);
    sim.loop.advance(6);
    EXPECT_EQ(origin(0), (Point{600, 400}));
    EXPECT_EQ(view(0).activity(), PetActivity::perched);
}

TEST_F(CoordinatorHandsTest, tap_theOtherPetGreetsThenSettlesWithABounce) {
    const auto bouncing = [&] {
        const auto& layer = view(1).layers().actionLayer;
        return !layer->presentation(sim.loop.mediaTime()).transform.isIdentity();
    };
    tap(0);
    EXPECT_EQ(view(1).activity(), PetActivity::greeting);
    EXPECT_FALSE(bouncing());
    sim.loop.advance(0.3);
    EXPECT_TRUE(bouncing());
    EXPECT_TRUE(view(1).isGrippingHome());
    sim.loop.advance(2);
    EXPECT_FALSE(bouncing());
}

TEST_F(CoordinatorHandsTest, anyWayOutOfAPlacement_givesThePetItsHomeLookAndForgetsTheEdge) {
    using T = CoordinatorHandsTest;
    const std::pair<const char*, std::function<void(T&)>> waysOut[] = {
        {"a scene on the desktop",
         [](T& t) {
             t.coordinator->performDesktopScene(model::PetLifeScene::eating, model::DesktopDemoTarget::first);
         }},
        {"a pose on the desktop",
         [](T& t) { t.coordinator->performDesktopPose(PetActivity::playing, model::DesktopDemoTarget::first); }},
        {"a reminder", [](T& t) { t.model->wellbeingAction = model::WellbeingAction::stretch; }},
        {"sending the pets home", [](T& t) { t.coordinator->sendPetsHome(true, false); }},
    };
    for (const auto& [way, leave] : waysOut) {
        restart();
        model->keyCountingEnabled = true;
        drop(0, {18, 400});
        sim.loop.advance(1);
        leave(*this);
        sim.loop.advance(12);
        expectNear(origin(0), kHome0);
        EXPECT_EQ(view(0).homeKind(), access().homes()[0].kind) << way;
        EXPECT_EQ(view(0).homeEdge(), access().homes()[0].edge) << way;

        // The milestone sign is shown in front of the home, not out at the old edge.
        model->keyboardMilestone = 100;
        double farthest = 0;
        for (int i = 0; i < 80; ++i, sim.loop.advance(0.1))
            farthest = std::max(farthest, std::hypot(origin(0).x - kHome0.x, origin(0).y - kHome0.y));
        EXPECT_LT(farthest, 60) << way;
        expectNear(origin(0), kHome0);
    }
}

}  // namespace
}  // namespace pets::testing
