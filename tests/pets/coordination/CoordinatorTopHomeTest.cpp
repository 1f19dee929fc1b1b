// Pets that the user sends to the top edge: where they hang and how what they do at home follows
// the top, on the default sim display (a 32-point top bar, so the work area's top is at y = 868).
#include <algorithm>

#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"

namespace pets::testing {
namespace {

using model::PetHomePreference;
using platform::Point;
using platform::Rect;

// 34 of their 52 points below the top bar's edge, 32 points either side of the centre.
constexpr Point kTop0{662, 834};
constexpr Point kTop1{726, 834};

// Every draw is high: a roam goes far to the right, a pose at home is a peek.
struct CoordinatorTopHomeTest : CoordinatorPlayTest, platform::RandomSource {
    double unit() override { return 0.9; }
    void SetUp() override {
        CoordinatorPlayTest::SetUp();
        platform::services().random = this;
        choose(PetHomePreference::notch);
    }
    void choose(PetHomePreference p) {
        model->setHomePreference(p, 0), model->setHomePreference(p, 1);
        sim.loop.advance(2);
    }
};

TEST_F(CoordinatorTopHomeTest, theTopEdge_holdsThePetsBelowTheTopBarUntilAutomaticBringsThemBack) {
    for (int i : {0, 1}) {
        EXPECT_EQ(access().homes()[size_t(i)].kind, model::PetHomeKind::notch);
        EXPECT_EQ(access().homes()[size_t(i)].edge, model::HomeEdge::top);
    }
    expectNear(origin(0), kTop0);
    expectNear(origin(1), kTop1);
    // The 18 points above the top bar's edge are not drawn.
    EXPECT_EQ(panel(0).clipRect(), (Rect{-52, -52, 156, 86}));

    model->petCount = 1;
    sim.loop.advance(2);
    expectNear(origin(0), {694, 834});

    model->petCount = 2;
    choose(PetHomePreference::automatic);
    expectNear(origin(0), kHome0);
    expectNear(origin(1), kHome1);
}

TEST_F(CoordinatorTopHomeTest, aTopHome_roamsDownAndShowsItsSignBelowThePet) {
    access().roam(0);
    while (access().runningMotions() > 0) sim.loop.advance(0.05);
    // Upwards it could rise no higher than 12 points below the top bar: y = 804.
    EXPECT_LT(origin(0).y, 800);
    EXPECT_GT(origin(0).x, kTop0.x);
    coordinator->sendPetsHome(false, false);

    model->wellbeingAction = model::WellbeingAction::drink;  // the second pet's reminder
    sim.loop.advance(1);
    ASSERT_TRUE(access().reminderPanel() && access().reminderPanel()->isVisible());
    expectNear(origin(1), {kTop1.x, 868 - 52 - 12});
    EXPECT_NEAR(access().reminderPanel()->frame().maxY(), origin(1).y - 10, 0.01);
}

TEST_F(CoordinatorTopHomeTest, atTheTop_oneDucksBehindTheEdgeAndTheOtherScootsAlongIt) {
    // On the first turn the first pet peeks and the second scoots.
    for (int i : {0, 1}) access().ambientPose(i);
    ASSERT_EQ(view(0).activity(), model::PetActivity::peeking);
    std::vector<Point> peek, scoot;
    for (double t = 0; t < 3; t += 0.02) sim.loop.advance(0.02), peek.push_back(origin(0)), scoot.push_back(origin(1));
    const auto byX = [](Point a, Point b) { return a.x < b.x; };
    const auto byY = [](Point a, Point b) { return a.y < b.y; };

    EXPECT_TRUE(std::all_of(peek.begin(), peek.end(), [](Point p) { return p.x == kTop0.x; }));
    const auto [low, high] = std::minmax_element(peek.begin(), peek.end(), byY);
    EXPECT_NEAR(high->y, 869, 0.01) << "wholly behind the top bar's edge";
    EXPECT_NEAR(low->y, 868 - 40, 0.01) << "leaning out below its rest";

    EXPECT_TRUE(std::all_of(scoot.begin(), scoot.end(), [](Point p) { return p.y == kTop1.y; }));
    const auto [left, right] = std::minmax_element(scoot.begin(), scoot.end(), byX);
    EXPECT_NEAR(left->x, kTop1.x, 0.01);
    EXPECT_NEAR(right->x, kTop1.x + 9, 0.01) << "the second pet scoots to the right";
    expectNear(origin(0), kTop0);
    expectNear(origin(1), kTop1);
}

// A pet tapped where it hangs celebrates, then takes hold of its home again: clinging, it casts no
// floor shadow, which below a pet on the top edge would hang in the air.
TEST_F(CoordinatorTopHomeTest, aPetTappedAtItsHome_holdsOnAgainWithoutAShadow) {
    const struct {
        const char* home;
        PetHomePreference preference;
    } cases[] = {{"top edge", PetHomePreference::notch}, {"taskbar", PetHomePreference::automatic}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.home);
        choose(c.preference);
        coordinator->sendPetsHome(false, false);
        sim.loop.advance(1);
        const Point home = origin(0);
        ASSERT_TRUE(view(0).isHomeAttached());
        tap(0);
        ASSERT_EQ(view(0).activity(), model::PetActivity::celebrating);
        for (int step = 0; step < 100 && view(0).activity() == model::PetActivity::celebrating; ++step)
            sim.loop.advance(0.1);
        sim.loop.advance(1);
        expectNear(origin(0), home);
        EXPECT_TRUE(view(0).isHomeAttached());
        EXPECT_EQ(view(0).layers().shadowLayer->presentation(mediaNow()).opacity, 0);
    }
}

}  // namespace
}  // namespace pets::testing
