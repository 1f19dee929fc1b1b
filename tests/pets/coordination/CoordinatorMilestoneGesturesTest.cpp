// The user's hands meeting the key-count milestones, taps on either pet, and the way each pet
// moves afterwards: what shows next, where the pets end up, and that nothing jumps.
#include <cmath>
#include <set>

#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "platform/Services.h"

namespace pets::testing {
namespace {

using model::KeyboardReactionStyle;
using model::PetActivity;
using platform::Point;
using Type = platform::PanelMouseEvent::Type;

double apart(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

struct CoordinatorMilestoneGesturesTest : CoordinatorPlayTest {
    // Every (pet, count) shown on a sign while the loop runs `seconds` on.
    std::set<std::pair<int, int64_t>> signsDuring(double seconds) {
        std::set<std::pair<int, int64_t>> seen;
        for (double t = 0; t < seconds; t += 0.1) {
            sim.loop.advance(0.1);
            for (int pet : {0, 1})
                if (view(pet).activity() == PetActivity::showingCount && view(pet).displayedCount())
                    seen.insert({pet, *view(pet).displayedCount()});
        }
        return seen;
    }
    // The pet's positions, a hundredth of a second apart, for `seconds`.
    std::vector<Point> path(int pet, double seconds) {
        std::vector<Point> seen{origin(pet)};
        for (double t = 0; t < seconds; t += 0.01) {
            sim.loop.advance(0.01);
            seen.push_back(origin(pet));
        }
        return seen;
    }
    static double longestStep(const std::vector<Point>& path) {
        double longest = 0;
        for (size_t i = 1; i < path.size(); ++i) longest = std::max(longest, apart(path[i - 1], path[i]));
        return longest;
    }
    // Picked up, carried well clear of every edge and let go there.
    Point pickUpAndDrop(int pet) {
        panel(pet).sendMouse(Type::down, {26, 30});
        panel(pet).sendMouse(Type::dragged, {26, 30 + 250});
        panel(pet).sendMouse(Type::up, {26, 30});
        return origin(pet);
    }
};

// ---- milestones and the user's hands

TEST_F(CoordinatorMilestoneGesturesTest, gestureDuringAMilestone_laterMilestonesShowAndNoPetWaitsOutInFront) {
    enum class Gesture { tap, pickUpAndDrop };
    // The pet showing the first milestone, the pet the user's hand meets, and how.
    const struct {
        int showing;
        int touched;
        Gesture gesture;
    } cases[] = {
        {0, 0, Gesture::tap}, {0, 1, Gesture::tap}, {1, 1, Gesture::tap}, {1, 0, Gesture::tap},
        {0, 0, Gesture::pickUpAndDrop}, {0, 1, Gesture::pickUpAndDrop},
        {1, 1, Gesture::pickUpAndDrop}, {1, 0, Gesture::pickUpAndDrop},
    };
    for (const auto& c : cases) {
        restart();
        model->keyCountingEnabled = true;
        model->dragStayDuration = model::DragStayDuration::untilCalledHome;
        const std::string label = std::to_string(c.showing) + " shows, " + std::to_string(c.touched) +
                                  (c.gesture == Gesture::tap ? " tapped" : " dropped");
        // The hundreds alternate: 100 for the first pet, 200 for the second.
        const int64_t first = 100 * (c.showing + 1), queued = first + 100;
        model->keyboardMilestone = first;
        model->keyboardMilestone = queued;
        sim.loop.advance(1);
        ASSERT_EQ(view(c.showing).displayedCount(), first) << label;

        std::optional<Point> dropped;
        if (c.gesture == Gesture::tap) {
            tap(c.touched);
        } else {
            dropped = pickUpAndDrop(c.touched);
        }
        const auto seen = signsDuring(14);
        EXPECT_TRUE(c.touched == c.showing || seen.contains({1 - c.showing, queued})) << label << ": waited its turn";
        // Nobody is left out in front of a home: each pet is back in it, or where it was dropped.
        for (int pet : {0, 1}) {
            const bool home = apart(origin(pet), access().homes()[size_t(pet)].origin) < 0.5;
            const bool whereDropped = pet == c.touched && dropped && apart(origin(pet), *dropped) < 0.5;
            EXPECT_TRUE(home || whereDropped) << label << ": pet " << pet << " at " << origin(pet).x << ","
                                              << origin(pet).y;
        }

        // The next milestones show in turn, and then everybody is home.
        model->keyboardMilestone = 500;
        model->keyboardMilestone = 600;
        const auto next = signsDuring(14);
        EXPECT_TRUE(next.contains({0, 500})) << label;
        EXPECT_TRUE(next.contains({1, 600})) << label;
        sim.loop.advance(6);
        for (int pet : {0, 1}) {
            expectNear(origin(pet), access().homes()[size_t(pet)].origin);
            EXPECT_TRUE(view(pet).isGrippingHome()) << label << ": pet " << pet;
        }
        EXPECT_FALSE(access().activeMilestonePetID()) << label;
    }
}

// ---- taps on either pet

TEST_F(CoordinatorMilestoneGesturesTest, tapOnEitherPet_itCelebratesTheOtherGreetsItAndBothSettleAtHome) {
    for (int tapped : {0, 1}) {
        restart();
        const int other = 1 - tapped;
        tap(tapped);
        EXPECT_EQ(view(tapped).activity(), PetActivity::celebrating) << tapped;
        EXPECT_EQ(view(other).activity(), PetActivity::greeting) << tapped;
        sim.loop.advance(0.1);
        EXPECT_EQ(view(other).activity(), PetActivity::greeting) << tapped;
        sim.loop.advance(1.5);
        for (int pet : {0, 1}) {
            EXPECT_EQ(view(pet).activity(), PetActivity::idle) << tapped;
            expectNear(origin(pet), access().homes()[size_t(pet)].origin);
        }
    }
}

// ---- moving, not jumping

TEST_F(CoordinatorMilestoneGesturesTest, tapOutOfHome_celebratesThereThenGoesHomeWithoutAJump) {
    using T = CoordinatorMilestoneGesturesTest;
    // What takes the pet out of its home, and when it is out far enough to be tapped.
    const struct {
        const char* what;
        std::function<void(T&, int)> start;
        double away;
    } cases[] = {
        {"running off", [](T& t, int pet) { t.access().playLifeScene(model::PetLifeScene::running, pet); }, 90},
        {"a scene in front of the home",
         [](T& t, int pet) { t.access().playLifeScene(model::PetLifeScene::eating, pet); }, 20},
        {"the count sign", [](T& t, int pet) { t.type(pet, KeyboardReactionStyle::showCount); }, 20},
        {"a milestone", [](T& t, int pet) { t.model->keyboardMilestone = 100 * (pet + 1); }, 20},
    };
    for (const auto& c : cases)
        for (int pet : {0, 1}) {
            restart();
            model->keyCountingEnabled = true;
            const Point home = access().homes()[size_t(pet)].origin;
            const double t0 = mediaNow();
            c.start(*this, pet);
            while (apart(origin(pet), home) < c.away && mediaNow() < t0 + 10) sim.loop.advance(0.05);
            sim.loop.advance(0.3);
            ASSERT_GE(apart(origin(pet), home), c.away) << c.what << " " << pet;
            const Point tappedAt = origin(pet);
            tap(pet);
            const auto celebration = path(pet, 1.25);
            EXPECT_LT(longestStep(celebration), 0.01) << c.what << ": celebrates where it was tapped " << pet;
            expectNear(celebration.back(), tappedAt);
            const auto way = path(pet, 8);
            EXPECT_LT(longestStep(way), c.away * 0.8) << c.what << ": goes, does not jump " << pet;
            expectNear(way.back(), home);
            EXPECT_TRUE(view(pet).isGrippingHome()) << c.what << " " << pet;
        }
}

TEST_F(CoordinatorMilestoneGesturesTest, typingAtHome_thePetGlidesOutAndBackAlongItsHopNeverJumping) {
    for (int pet : {0, 1}) {
        restart();
        const PetHome home = access().homes()[size_t(pet)];
        const double hop = apart(home.origin, home.peekOrigin);
        const Point from = origin(pet);
        type(pet);
        auto seen = path(pet, 0.8);
        seen.insert(seen.begin(), from);
        // Every frame lies on the way from the home to the peek point and back.
        int between = 0;
        for (Point p : seen) {
            const double out = apart(p, home.origin), in = apart(p, home.peekOrigin);
            EXPECT_NEAR(out + in, hop, 1e-6) << "off the hop's line: " << pet;
            between += out > 0.5 && in > 0.5;
        }
        EXPECT_GE(between, 6) << "seen on its way out and back: " << pet;
        EXPECT_LT(longestStep(seen), hop / 2) << pet;
        double farthest = 0;
        for (Point p : seen) farthest = std::max(farthest, apart(p, home.origin));
        EXPECT_NEAR(farthest, hop, 0.5) << "reaches the peek point: " << pet;
        expectNear(seen.back(), home.origin);
    }
}

TEST_F(CoordinatorMilestoneGesturesTest, steppingOutToShowACount_thePetTakesItsLookInTheOpen) {
    using T = CoordinatorMilestoneGesturesTest;
    const auto onLeftEdge = [](T& t) {
        t.model->dragStayDuration = model::DragStayDuration::untilCalledHome;
        t.drop(0, {18, 400});
        t.sim.loop.advance(1.5);
    };
    const auto countSign = [](T& t) { t.type(0, KeyboardReactionStyle::showCount); };
    const auto milestone = [](T& t) { t.model->keyboardMilestone = 100; };
    // Whether the pet walks out before it raises the sign, or raises it at once.
    const struct {
        const char* what;
        std::function<void(T&)> arrange, show;
        bool walksOut;
    } cases[] = {
        {"count sign at home", [](T&) {}, countSign, false},
        {"count sign on an edge perch", onLeftEdge, countSign, true},
        {"milestone at home", [](T&) {}, milestone, true},
        {"milestone on an edge perch", onLeftEdge, milestone, true},
    };
    for (bool still : {false, true})
        for (const auto& c : cases) {
            restart();
            sim.accessibility.setReduceMotion(still);
            const std::string what = std::string(c.what) + (still ? ", reduced motion" : "");
            model->keyCountingEnabled = true;
            c.arrange(*this);
            ASSERT_TRUE(view(0).isGrippingHome()) << what;
            const auto& L = view(0).layers();
            const Point from = origin(0);
            c.show(*this);
            // Walking out on its own paws, none left on the edge.
            auto way = path(0, 0.15);
            way.insert(way.begin(), from);
            const bool walking = c.walksOut && !still;
            EXPECT_FALSE(view(0).isHomeAttached()) << what;
            EXPECT_EQ(L.gripLayer->opacity(), 0) << what << ": no paws on the edge";
            EXPECT_EQ(view(0).isTravelling(), walking) << what;
            EXPECT_EQ(L.leftPaw->opacity(), walking ? 1 : 0) << what << ": its own paws walk";
            EXPECT_EQ(L.rightPaw->opacity(), walking ? 1 : 0) << what;
            // Holding the sign up in the open.
            const auto rest = path(0, 0.85);
            way.insert(way.end(), rest.begin(), rest.end());
            ASSERT_EQ(view(0).activity(), PetActivity::showingCount) << what;
            EXPECT_TRUE(still || longestStep(way) < apart(from, origin(0)) / 2) << what << ": steps, does not jump";
            const double t = mediaNow();
            EXPECT_FALSE(view(0).isHomeAttached()) << what;
            EXPECT_GT(L.shadowLayer->presentation(t).opacity, 0.9) << what << ": casts its shadow";
            EXPECT_EQ(L.gripLayer->presentation(t).opacity, 0) << what << ": no paws on the edge";
            EXPECT_EQ(panel(0).clipRect(), std::nullopt) << what << ": seen whole";
        }
}

}  // namespace
}  // namespace pets::testing
