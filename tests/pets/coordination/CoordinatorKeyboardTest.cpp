#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "platform/Services.h"

namespace pets::testing {
namespace {

using model::KeyboardReactionStyle;
using model::PetActivity;
using platform::Point;

// The pets after their first placement, with no behaviour of their own falling due.
struct CoordinatorKeyboardTest : CoordinatorPlayTest {
    // What the pet shows and where, at each moment of `times` after `act` (seconds from now).
    std::vector<std::pair<PetActivity, Point>> trace(int pet, const std::vector<double>& times,
                                                     const std::function<void()>& act) {
        const double t0 = mediaNow();
        act();
        std::vector<std::pair<PetActivity, Point>> seen;
        for (double t : times) {
            sim.loop.advance(t0 + t - mediaNow());
            seen.emplace_back(view(pet).activity(), origin(pet));
        }
        return seen;
    }
};

// ---- the gates

TEST_F(CoordinatorKeyboardTest, typingDuringALifeScene_leavesTheSceneAsItWouldHavePlayed) {
    const std::vector<double> times{0.3, 0.6, 1, 2, 3, 4, 6, 9};
    const auto alone = trace(0, times, [&] { access().playLifeScene(model::PetLifeScene::eating, 0); });
    restart();
    const auto typedAt = trace(0, times, [&] {
        access().playLifeScene(model::PetLifeScene::eating, 0);
        type(0);
        type(0, KeyboardReactionStyle::showCount);
    });
    EXPECT_EQ(typedAt, alone);

    // The second pet's share of a key comes a little later; a scene it started meanwhile wins.
    const auto sceneFirst = trace(1, times, [&] { access().playLifeScene(model::PetLifeScene::eating, 1); });
    restart();
    const auto keyFirst = trace(1, times, [&] {
        type(2);
        access().playLifeScene(model::PetLifeScene::eating, 1);
    });
    EXPECT_EQ(keyFirst, sceneFirst);
}

// ---- where a reaction leaves the pet

TEST_F(CoordinatorKeyboardTest, motionReaction_endsWhereAndAsThePetWas) {
    using T = CoordinatorKeyboardTest;
    // Whether the pet hops out at the key, and its place and look once the reaction is over: at
    // once and for good.
    const struct {
        const char* situation;
        std::function<Point(T&)> arrange;
        bool hops;
        PetActivity after;
        bool gripping;
    } cases[] = {
        {"at home", [](T&) { return kHome0; }, true, PetActivity::home, true},
        {"at home in a focus session",
         [](T& t) {
             t.model->isFocusActive = true;
             t.sim.loop.advance(3);
             return kHome0;
         },
         true, PetActivity::focusing, true},
        {"just docked after a walk home",
         [](T& t) {
             t.putAway(0, {kHome0.x, kHome0.y + 40});
             t.access().movePetHome(0, true);
             while (!t.view(0).isGrippingHome()) t.sim.loop.advance(0.02);
             return kHome0;
         },
         true, PetActivity::home, true},
        {"docking after a walk home",
         [](T& t) {
             t.putAway(0, {kHome0.x, kHome0.y + 40});
             t.access().movePetHome(0, true);
             while (!t.view(0).isHomeAttached()) t.sim.loop.advance(0.02);
             t.sim.loop.advance(0.1);
             return kHome0;
         },
         true, PetActivity::home, true},
        {"dropped in the open",
         [](T& t) {
             t.drop(0, {600, 400});
             t.sim.loop.advance(1);
             return Point{600, 400};
         },
         false, PetActivity::perched, false},
        {"dropped on the left edge",
         [](T& t) {
             t.drop(0, {18, 400});
             t.sim.loop.advance(1);
             return t.origin(0);
         },
         false, PetActivity::perched, true},
        {"dropped on the bottom edge right at its home",
         [](T& t) {
             t.drop(0, {kHome0.x, 58});
             t.sim.loop.advance(1);
             return t.origin(0);
         },
         false, PetActivity::perched, true},
    };
    for (const auto& c : cases) {
        restart();
        const Point at = c.arrange(*this);
        type(0);
        EXPECT_EQ(view(0).activity(), PetActivity::typing) << c.situation;
        sim.loop.advance(0.2);
        EXPECT_EQ(std::hypot(origin(0).x - at.x, origin(0).y - at.y) >= 4, c.hops) << c.situation;
        for (double wait : {1.0, 8.0}) {
            sim.loop.advance(wait);
            expectNear(origin(0), at);
            EXPECT_EQ(view(0).activity(), c.after) << c.situation;
            EXPECT_EQ(view(0).isGrippingHome(), c.gripping) << c.situation;
        }
    }
}

TEST_F(CoordinatorKeyboardTest, motionReaction_atHomeHopsOutLettingGoAndGripsAgainBack) {
    type(0);
    sim.loop.advance(0.2);
    EXPECT_GE(std::hypot(origin(0).x - kHome0.x, origin(0).y - kHome0.y), 4);
    EXPECT_FALSE(view(0).isGrippingHome());
    EXPECT_TRUE(view(0).isHomeAttached());
    sim.loop.advance(1);
    expectNear(origin(0), kHome0);
    EXPECT_TRUE(view(0).isGrippingHome());
}

TEST_F(CoordinatorKeyboardTest, reactionCuttingIntoAPoseAwayFromHome_sendsThePetHomeAfterwards) {
    ASSERT_TRUE(coordinator->performDesktopPose(PetActivity::playing, model::DesktopDemoTarget::first));
    sim.loop.advance(0.5);
    const Point posed = origin(0);
    ASSERT_NE(posed, kHome0);
    type(0);
    sim.loop.advance(0.1);
    expectNear(origin(0), posed);  // the reaction plays where the pet stands
    sim.loop.advance(10);
    expectNear(origin(0), kHome0);
    EXPECT_TRUE(view(0).isHomeAttached());
}

TEST_F(CoordinatorKeyboardTest, aReactionDuringAnother_isTheOneThePetFollows) {
    const double t0 = mediaNow();
    type(0);
    sim.loop.advance(0.45);  // on the way back from the hop
    type(0);
    // The first reaction would grip the home again and then end, while the second hops out.
    sim.loop.advance(t0 + 0.62 - mediaNow());
    EXPECT_FALSE(view(0).isGrippingHome());
    sim.loop.advance(t0 + 0.7 - mediaNow());
    EXPECT_EQ(view(0).activity(), PetActivity::typing);
    sim.loop.advance(1.5);
    expectNear(origin(0), kHome0);
    EXPECT_EQ(view(0).activity(), PetActivity::home);
    EXPECT_TRUE(view(0).isGrippingHome());
}

TEST_F(CoordinatorKeyboardTest, keysShareForTheOtherPet_isDroppedWhenThatPetWasPutDownMeanwhile) {
    type(2);  // the second pet's share comes a little later
    drop(1, {900, 400});
    sim.loop.advance(2);
    EXPECT_EQ(view(1).activity(), PetActivity::perched);
    EXPECT_EQ(origin(1), (Point{900, 400}));
}

// ---- the count sign

TEST_F(CoordinatorKeyboardTest, countSign_whileUpKeysLeaveThePetHoldingItAndAfterwardsAreAnsweredAgain) {
    type(0, KeyboardReactionStyle::showCount);
    sim.loop.advance(1);
    type(0);
    sim.loop.advance(0.1);
    EXPECT_EQ(view(0).activity(), PetActivity::showingCount);
    while (view(0).activity() == PetActivity::showingCount) sim.loop.advance(0.05);
    type(0);
    EXPECT_EQ(view(0).activity(), PetActivity::typing);
}

TEST_F(CoordinatorKeyboardTest, countSign_isShownInTheOpenAndThePetReturnsToWhereItBelongs) {
    using T = CoordinatorKeyboardTest;
    const struct {
        const char* situation;
        std::function<void(T&)> arrange;
        Point shownAt, after;
        PetActivity afterActivity;
        std::optional<model::HomeEdge> clinging;
    } cases[] = {
        {"at home", [](T&) {}, kApproach0, kHome0, PetActivity::peeking, std::nullopt},
        {"dropped in the open",
         [](T& t) {
             t.drop(0, {600, 400}), t.sim.loop.advance(1);
         },
         {600, 400},
         {600, 400},
         PetActivity::perched,
         std::nullopt},
        {"dropped on the left edge",
         [](T& t) {
             t.drop(0, {18, 400}), t.sim.loop.advance(1);
         },
         {24, 400},
         {-22, 400},
         PetActivity::perched,
         model::HomeEdge::left},
    };
    for (const auto& c : cases) {
        restart();
        c.arrange(*this);
        type(0, KeyboardReactionStyle::showCount);
        sim.loop.advance(1);
        expectNear(origin(0), c.shownAt);
        EXPECT_EQ(view(0).activity(), PetActivity::showingCount) << c.situation;
        EXPECT_EQ(view(0).displayedCount(), model->todayKeyCount()) << c.situation;
        sim.loop.advance(8);
        expectNear(origin(0), c.after);
        EXPECT_EQ(view(0).activity(), c.afterActivity) << c.situation;
        EXPECT_EQ(view(0).manualPerchEdge(), c.clinging) << c.situation;
    }
}

TEST_F(CoordinatorKeyboardTest, countSign_laterStepsLeaveAMilestoneThatTookThePetOver) {
    model->keyCountingEnabled = true;
    type(0, KeyboardReactionStyle::showCount);
    sim.loop.advance(1);
    model->keyboardMilestone = 100;
    // The count sign's own end would have walked the pet home by now.
    sim.loop.advance(2.5);
    expectNear(origin(0), kApproach0);
    EXPECT_EQ(view(0).activity(), PetActivity::showingCount);
    EXPECT_EQ(view(0).displayedCount(), 100);
}

}  // namespace
}  // namespace pets::testing
