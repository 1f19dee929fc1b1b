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
    sim.loop.advance(1);  // the celebration is over
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

}  // namespace
}  // namespace pets::testing
