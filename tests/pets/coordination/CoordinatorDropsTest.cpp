// Where a dragged and dropped pet ends up, seen on the screens: with two monitors, after a throw,
// and after a second drop that takes it off an edge.
#include <cmath>

#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "platform/Services.h"

namespace pets::testing {
namespace {

using model::HomeEdge;
using model::KeyboardReactionStyle;
using model::PetActivity;
using platform::Point;
using platform::Rect;
using platform::Screen;
using platform::Vector;
using platform::sim::SimScreens;
using Type = platform::PanelMouseEvent::Type;

constexpr double kSide = PetWindowCoordinator::kPetSide;

// The default display, and a second one to its right that starts lower and has no bars.
const Screen kPrimary = SimScreens::display(1, {0, 0, 1440, 900}, {.top = 32, .bottom = 48}, true);
const Screen kRight = SimScreens::display(2, {1440, 120, 1280, 720});
// Elsewhere around the primary display.
const Screen kLeft = SimScreens::display(3, {-1280, -200, 1280, 1024}, {.top = 26});
const Screen kAbove = SimScreens::display(4, {300, 900, 1024, 768});

bool holds(const Rect& frame, Point origin) {
    return origin.x >= frame.minX() && origin.y >= frame.minY() && origin.x + kSide <= frame.maxX() &&
           origin.y + kSide <= frame.maxY();
}

Point centreAt(Point c) {
    return {c.x - kSide / 2, c.y - kSide / 2};
}

struct CoordinatorDropsTest : CoordinatorPlayTest {
    void useScreens(std::vector<Screen> screens) {
        coordinator.reset();
        sim.screens.setScreens(std::move(screens));
        sim.loop.runPending();
        SetUp();
    }
    // Where a pet dropped at `release` with `velocity` rests, and the edge it clings to.
    std::pair<Point, std::optional<HomeEdge>> restAfterDrop(Point release, Vector velocity = {}) {
        drop(0, release, velocity);
        sim.loop.advance(1.5);
        return {origin(0), view(0).manualPerchEdge()};
    }

    // The pointer at a screen point, given to pet 0's panel in its own coordinates as it stands.
    void pointer(Type type, Point screen, double timestamp) {
        const Point o = origin(0);
        panel(0).sendMouse(type, {screen.x - o.x, screen.y - o.y}, timestamp);
    }
    // Picks pet 0 up by its centre and carries it, unhurried, until its centre is at `c`.
    Point carry(Point c, double& t) {
        const Point o = origin(0);
        Point at{o.x + kSide / 2, o.y + kSide / 2};
        pointer(Type::down, at, t);
        for (double d; (d = std::hypot(c.x - at.x, c.y - at.y)) > 0.5;) {
            const double step = std::min(20.0, d);
            at = {at.x + (c.x - at.x) * step / d, at.y + (c.y - at.y) * step / d};
            pointer(Type::dragged, at, t += 0.1);
        }
        // Held still a moment: the release carries no speed.
        for (int i = 0; i < 20; ++i) pointer(Type::dragged, at, t += 0.1);
        return at;
    }
};

// ---- two monitors

TEST_F(CoordinatorDropsTest, twoMonitors_aDropLandsAsOnTheMonitorNearestThePetAlone) {
    // Each drop, given by where the pet's centre is let go, and the monitor it belongs to: the
    // one under it, else the nearest one.
    const struct {
        const char* where;
        std::vector<Screen> screens;
        Point centre;
        Screen owner;
    } cases[] = {
        {"middle of the right monitor", {kPrimary, kRight}, {2000, 500}, kRight},
        {"right monitor, just past the boundary", {kPrimary, kRight}, {1446, 500}, kRight},
        {"primary monitor, just before the boundary", {kPrimary, kRight}, {1434, 500}, kPrimary},
        {"top of the right monitor", {kPrimary, kRight}, {2000, 830}, kRight},
        {"bottom of the right monitor", {kPrimary, kRight}, {2400, 130}, kRight},
        {"right edge of the right monitor", {kPrimary, kRight}, {2710, 400}, kRight},
        {"below the right monitor, nearer to it", {kPrimary, kRight}, {1500, 100}, kRight},
        {"below the right monitor, nearer the primary", {kPrimary, kRight}, {1450, 60}, kPrimary},
        {"middle of the left monitor", {kPrimary, kLeft}, {-600, 300}, kLeft},
        {"top of the left monitor", {kPrimary, kLeft}, {-600, 790}, kLeft},
        {"left monitor, just past the boundary", {kPrimary, kLeft}, {-8, 500}, kLeft},
        {"monitor above", {kPrimary, kAbove}, {800, 1300}, kAbove},
        {"monitor above, just past the boundary", {kPrimary, kAbove}, {800, 905}, kAbove},
        {"primary, under the monitor above", {kPrimary, kAbove}, {800, 860}, kPrimary},
    };
    for (const auto& c : cases) {
        useScreens({c.owner});
        const auto alone = restAfterDrop(centreAt(c.centre));
        useScreens(c.screens);
        const auto both = restAfterDrop(centreAt(c.centre));
        expectNear(both.first, alone.first);
        EXPECT_EQ(both.second, alone.second) << c.where;
        EXPECT_TRUE(both.second || holds(c.owner.visibleFrame, both.first)) << c.where;
    }
}

TEST_F(CoordinatorDropsTest, twoMonitors_aCarriedPetStaysOnTheMonitorUnderThePointer) {
    const struct {
        Point pointer;
        Screen under;
        bool followsExactly;
    } stops[] = {
        {{2000, 500}, kRight, true},  {{1446, 500}, kRight, false}, {{1434, 500}, kPrimary, false},
        {{1500, 100}, kRight, false}, {{1450, 60}, kPrimary, false}, {{2700, 830}, kRight, false},
    };
    for (const auto& s : stops) {
        useScreens({kPrimary, kRight});
        double t = 10;
        const Point at = carry(s.pointer, t);
        EXPECT_TRUE(holds(s.under.visibleFrame, origin(0))) << at.x << "," << at.y;
        if (s.followsExactly) expectNear(origin(0), centreAt(at));
        pointer(Type::up, at, t += 0.1);
        sim.loop.advance(1.5);
        // Let go still, the pet stays on that monitor.
        const Rect frame = s.under.frame;
        const Point o = origin(0);
        EXPECT_TRUE(o.x + kSide > frame.minX() && o.x < frame.maxX() && o.y + kSide > frame.minY() &&
                    o.y < frame.maxY())
            << at.x << "," << at.y;
        EXPECT_EQ(view(0).activity(), PetActivity::perched);
    }
}

// ---- throws

TEST_F(CoordinatorDropsTest, throwFasterThanTheCap_landsAheadAlongTheThrowAsFarAsAnyOtherFastThrow) {
    const Point release{600, 400};
    const auto ahead = [&](Vector v) {
        restart();
        const auto [rest, edge] = restAfterDrop(release, v);
        EXPECT_FALSE(edge);
        return Vector{rest.x - release.x, rest.y - release.y};
    };
    const Vector slow = ahead({300, 0});
    ASSERT_GT(slow.dx, 0);
    double reach = 0;
    for (Vector v : {Vector{2000, 0}, {100000, 0}, {0, -3000}, {-2500, 2500}, {4000, -1000}, {-900, -50}}) {
        const Vector a = ahead(v);
        const double length = a.length();
        EXPECT_GT(length, slow.length() * 1.5) << v.dx << "," << v.dy;
        EXPECT_NEAR(a.dx * v.dy - a.dy * v.dx, 0, 1e-6 * v.length() * length) << "along the throw";
        EXPECT_GT(a.dx * v.dx + a.dy * v.dy, 0) << "forward";
        if (reach == 0) reach = length;
        EXPECT_NEAR(length, reach, 1e-6) << v.dx << "," << v.dy;
    }
}

TEST_F(CoordinatorDropsTest, throwWithTheMouse_landsAheadOfWhereItWasLetGo) {
    // A flick after a still hold, at speeds around and far above the fastest the pet takes.
    std::vector<double> reaches;
    for (double speed : {150.0, 4000.0, 40000.0}) {
        restart();
        double t = 10;
        Point at = carry({600, 420}, t);
        for (int i = 0; i < 3; ++i)
            pointer(Type::dragged, at = {at.x + speed * 0.002, at.y - speed * 0.001}, t += 0.002);
        const Point letGo = origin(0);
        pointer(Type::up, at, t += 0.002);
        sim.loop.advance(1.5);
        const Vector a{origin(0).x - letGo.x, origin(0).y - letGo.y};
        EXPECT_GT(a.dx, 0) << speed;
        EXPECT_NEAR(a.dy, -a.dx / 2, 1e-6) << "along the throw: " << speed;
        reaches.push_back(a.length());
    }
    EXPECT_GT(reaches[1], reaches[0] * 1.5) << "a fast throw reaches farther than a slow one";
    EXPECT_NEAR(reaches[2], reaches[1], 1e-6) << "but no faster one farther still";
}

// ---- clinging to an edge

TEST_F(CoordinatorDropsTest, clingingToAnEdge_comesOutFromWhereItSlippedUnderAndPeeksPastItsRest) {
    // Each edge with the direction that leads away from it, onto the screen.
    const struct {
        Point release;
        HomeEdge edge;
        Vector in;
    } cases[] = {
        {{18, 400}, HomeEdge::left, {1, 0}},
        {{1378, 400}, HomeEdge::right, {-1, 0}},
        {{600, 58}, HomeEdge::bottom, {0, 1}},
        {{600, 806}, HomeEdge::top, {0, -1}},
    };
    for (const auto& c : cases) {
        restart();
        const auto& action = *view(0).layers().actionLayer;
        // Where the body is drawn: the panel, moved by the pet's own hop or peek.
        const auto drawn = [&] {
            const auto shown = action.presentation(mediaNow()).transform;
            return Point{origin(0).x + shown.tx, origin(0).y + shown.ty};
        };
        drop(0, c.release);
        Point before = drawn();
        std::optional<Point> clungFrom;
        std::vector<Point> peek;
        for (int i = 0; i < 800; ++i) {
            sim.loop.advance(0.002);
            const Point now = drawn();
            if (view(0).manualPerchEdge() && !clungFrom) clungFrom = before;
            if (clungFrom) peek.push_back(now);
            before = now;
        }
        ASSERT_TRUE(clungFrom) << int(c.edge);
        ASSERT_FALSE(peek.empty());
        EXPECT_LT(std::hypot(peek.front().x - clungFrom->x, peek.front().y - clungFrom->y), 0.5)
            << "comes out from where it slipped under: " << int(c.edge);
        const Point rest = origin(0);
        expectNear(peek.back(), rest);
        const double hid = (rest.x - clungFrom->x) * c.in.dx + (rest.y - clungFrom->y) * c.in.dy;
        EXPECT_GT(hid, 10) << "it was out of sight behind the edge: " << int(c.edge);
        double pastRest = 0;
        for (Point p : peek) pastRest = std::max(pastRest, (p.x - rest.x) * c.in.dx + (p.y - rest.y) * c.in.dy);
        EXPECT_GT(pastRest, 0.5) << "peeks out past its rest: " << int(c.edge);
        EXPECT_LT(pastRest, hid / 2) << int(c.edge);
    }
}

// ---- a second drop

TEST_F(CoordinatorDropsTest, redroppedOffAnEdge_signsAndMilestonesNeverGoBackToTheOldEdge) {
    using T = CoordinatorDropsTest;
    const struct {
        const char* what;
        std::function<void(T&)> show;
        bool staysPut;
    } shows[] = {
        {"count sign", [](T& t) { t.type(0, KeyboardReactionStyle::showCount); }, true},
        {"milestone", [](T& t) { t.model->keyboardMilestone = 100; }, false},
    };
    // The second drop, and where the pet rests afterwards.
    const Point redrops[] = {{600, 400}, {1378, 400}};
    for (const auto& s : shows)
        for (Point second : redrops) {
            restart();
            model->keyCountingEnabled = true;
            model->dragStayDuration = model::DragStayDuration::untilCalledHome;
            drop(0, {18, 400});
            sim.loop.advance(1.5);
            const double oldEdge = origin(0).x;
            drop(0, second);
            sim.loop.advance(1.5);
            const Point placed = origin(0);
            s.show(*this);
            double nearest = 1e9;
            for (int i = 0; i < 100; ++i, sim.loop.advance(0.1)) {
                nearest = std::min(nearest, origin(0).x - oldEdge);
                const bool signUp = view(0).activity() == PetActivity::showingCount && s.staysPut;
                EXPECT_TRUE(!signUp || std::hypot(origin(0).x - placed.x, origin(0).y - placed.y) < 60) << s.what;
            }
            EXPECT_GT(nearest, 300) << s.what << " from " << second.x;
            EXPECT_TRUE(view(0).displayedCount().has_value()) << s.what;
            if (s.staysPut) expectNear(origin(0), placed);
        }
}

}  // namespace
}  // namespace pets::testing
