#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Transform;
using model::PetActivity;
using platform::PanelMouseEvent;
using platform::Point;
using platform::Vector;

namespace {

void expectTransform(const Transform& actual, const Transform& expected, const char* what = "") {
    EXPECT_NEAR(actual.tx, expected.tx, 1e-9) << what;
    EXPECT_NEAR(actual.ty, expected.ty, 1e-9) << what;
    EXPECT_NEAR(actual.rotation, expected.rotation, 1e-9) << what;
    EXPECT_NEAR(actual.sx, expected.sx, 1e-9) << what;
    EXPECT_NEAR(actual.sy, expected.sy, 1e-9) << what;
}

// A pet in a shown sim panel at (100, 200), with every callback recorded.
struct PetDragTest : PetViewTest {
    std::shared_ptr<platform::Panel> window = sim.panels.createPanel({100, 200, 52, 52});
    platform::sim::SimPanel& panel = static_cast<platform::sim::SimPanel&>(*window);
    int taps = 0, starts = 0;
    std::vector<model::PetDragRelease> releases;

    PetDragTest() {
        view->setWindow(window);
        window->setRootLayer(view->layer());
        window->orderFront();
        view->onTap = [this] { ++taps; };
        view->onDragStarted = [this] { ++starts; };
        view->onDragFinished = [this](const model::PetDragRelease& r) { releases.push_back(r); };
    }

    // The pointer at a screen point, delivered in the panel's coordinates as it stands now.
    bool send(PanelMouseEvent::Type type, Point screen, double timestamp) {
        Point origin = panel.frame().origin;
        return panel.sendMouse(type, {screen.x - origin.x, screen.y - origin.y}, timestamp);
    }
    bool press(Point screen, double t = 10) { return send(PanelMouseEvent::Type::down, screen, t); }
    bool drag(Point screen, double t) { return send(PanelMouseEvent::Type::dragged, screen, t); }
    bool release(Point screen, double t) { return send(PanelMouseEvent::Type::up, screen, t); }
};

}  // namespace

TEST_F(PetDragTest, onlyTheRoundBodyTakesPresses) {
    // r = 0.48 x 52 = 24.96 about the centre (26, 26).
    EXPECT_TRUE(view->hitTest({26 + 24.9, 26}));
    EXPECT_TRUE(view->hitTest({26, 26 - 24.9}));
    EXPECT_FALSE(view->hitTest({26 + 25, 26}));
    for (Point corner : {Point{1, 1}, Point{51, 1}, Point{1, 51}, Point{51, 51}, Point{26 + 18, 26 + 18}})
        EXPECT_FALSE(view->hitTest(corner)) << corner.x << ", " << corner.y;

    EXPECT_FALSE(press({101, 201})) << "a click in a corner goes to what lies below";
    EXPECT_EQ(starts, 0);
    EXPECT_EQ(view->activity(), PetActivity::home);
}

TEST_F(PetDragTest, aPressAndReleaseInPlaceIsATapAfterThePickUp) {
    ASSERT_TRUE(press({126, 226}));
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(view->activity(), PetActivity::dragged);
    const anim::Animation* bounce = L().interactionLayer->animation("pickupBounce");
    ASSERT_NE(bounce, nullptr);
    EXPECT_GT(std::get<Transform>(bounce->values[1]).sx, 1) << "squashed as it is picked up";
    EXPECT_NE(L().shadowLayer->animation("weightPulse"), nullptr);
    EXPECT_NE(L().shadowLayer->animation("weightOpacity"), nullptr);

    ASSERT_TRUE(release({126, 226}, 10.2));
    EXPECT_EQ(taps, 1);
    EXPECT_TRUE(releases.empty());
    EXPECT_EQ(panel.frame().origin, (Point{100, 200}));
}

TEST_F(PetDragTest, aDragThatComesBackWithinFivePointsEndsAsATapWithTheLeanReset) {
    press({126, 226});
    drag({166, 226}, 10.05);
    EXPECT_EQ(panel.frame().origin, (Point{140, 200})) << "the window follows the pointer";
    EXPECT_FALSE(L().interactionLayer->transform().isIdentity()) << "the body leans while dragged";
    drag({129, 230}, 10.1);
    EXPECT_DOUBLE_EQ(view->draggedDistance(), 5.0) << "straight-line distance, not the path";
    drag({129, 229}, 10.15);
    release({129, 229}, 10.2);
    EXPECT_EQ(taps, 1);
    EXPECT_TRUE(releases.empty());
    EXPECT_TRUE(L().interactionLayer->transform().isIdentity());
}

TEST_F(PetDragTest, aDragMovesTheWindowWhereTheCoordinatorSaysAndReleasesWithOriginAndVelocity) {
    view->onDragMoved = [](Point proposed) { return Point{proposed.x, std::max(proposed.y, 190.0)}; };
    press({126, 226});
    drag({146, 206}, 10.1);
    EXPECT_EQ(panel.frame().origin, (Point{120, 190})) << "clamped by the coordinator";
    Vector velocity = view->dragVelocity();
    EXPECT_NEAR(velocity.dx, 0.72 * 200, 1e-9);
    EXPECT_NEAR(velocity.dy, -0.72 * 200, 1e-9);
    Transform lean = L().interactionLayer->transform();
    // Moving right and down: it trails behind and above and turns toward the motion.
    EXPECT_LT(lean.tx, 0);
    EXPECT_GT(lean.ty, 0);
    EXPECT_GT(lean.rotation, 0);

    release({146, 206}, 10.15);
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0].origin, (Point{120, 190}));
    EXPECT_EQ(releases[0].velocity, velocity);
    EXPECT_EQ(taps, 0);
    EXPECT_EQ(view->dragVelocity(), Vector{});
    EXPECT_EQ(L().interactionLayer->transform(), lean) << "the lean waits for the release wobble";

    view->playDragRelease(releases[0].velocity);
    EXPECT_TRUE(L().interactionLayer->transform().isIdentity());
    const anim::Animation* wobble = L().interactionLayer->animation("dragRelease");
    ASSERT_NE(wobble, nullptr);
    expectTransform(std::get<Transform>(wobble->values[0]), lean, "starts from the lean");
    EXPECT_NE(L().shadowLayer->animation("weightPulse"), nullptr);
}

TEST_F(PetDragTest, theVelocityIsSmoothedIgnoresCloseSamplesAndIsCappedAt720) {
    press({126, 226}, 10);
    drag({136, 226}, 10.1);
    EXPECT_NEAR(view->dragVelocity().dx, 72, 1e-9);
    drag({146, 226}, 10.2);
    EXPECT_NEAR(view->dragVelocity().dx, 0.28 * 72 + 0.72 * 100, 1e-9);
    Vector before = view->dragVelocity();
    drag({156, 226}, 10.2005);
    EXPECT_EQ(view->dragVelocity(), before) << "samples under a millisecond apart";
    drag({456, 626}, 10.25);
    EXPECT_NEAR(view->dragVelocity().length(), 720, 1e-9);
    Vector v = view->dragVelocity();
    double sx = 0.28 * before.dx + 0.72 * 300 / 0.0495, sy = 0.72 * 400 / 0.0495;
    EXPECT_NEAR(v.dy / v.dx, sy / sx, 1e-9) << "scaled down in the same direction";
}

TEST_F(PetDragTest, underReduceMotionTheWindowFollowsButTheBodyNeitherLeansNorBounces) {
    sim.accessibility.setReduceMotion(true);
    press({126, 226});
    EXPECT_EQ(view->activity(), PetActivity::dragged) << "the state still changes";
    EXPECT_EQ(L().interactionLayer->animation("pickupBounce"), nullptr);
    EXPECT_EQ(L().shadowLayer->animation("weightPulse"), nullptr);
    drag({176, 226}, 10.1);
    EXPECT_EQ(panel.frame().origin, (Point{150, 200}));
    EXPECT_TRUE(L().interactionLayer->transform().isIdentity());
    release({176, 226}, 10.2);
    ASSERT_EQ(releases.size(), 1u);
    view->playDragRelease(releases[0].velocity);
    EXPECT_EQ(L().interactionLayer->animation("dragRelease"), nullptr);
}

TEST_F(PetDragTest, aPetClingingToItsHomeShowsNoShadowPulse) {
    view->setHomeAttached(true, false);
    press({126, 226});
    EXPECT_NE(L().interactionLayer->animation("pickupBounce"), nullptr);
    EXPECT_EQ(L().shadowLayer->animation("weightPulse"), nullptr);
}

TEST_F(PetDragTest, withoutAWindowAPressStartsNoDragAndAReleaseIsATap) {
    PetView loose(calmPet());
    int looseTaps = 0, finished = 0;
    loose.onTap = [&] { ++looseTaps; };
    loose.onDragFinished = [&](const model::PetDragRelease&) { ++finished; };
    PanelMouseEvent e{PanelMouseEvent::Type::down, {26, 26}, {26, 26}, 1};
    loose.mouseDown(e);
    e.screenLocation = {90, 26};
    loose.mouseDragged(e);
    EXPECT_EQ(loose.draggedDistance(), 0) << "nothing to move";
    loose.mouseUp(e);
    EXPECT_EQ(looseTaps, 1);
    EXPECT_EQ(finished, 0);
}
