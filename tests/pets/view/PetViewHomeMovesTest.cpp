#include <gtest/gtest.h>

#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Transform;
using model::HomeEdge;
using model::PetActivity;
using model::PetHomeKind;

namespace {

void attachAndGrip(PetView& pet, const PetHome& h) {
    pet.configureHome(h);
    pet.setHomeAttached(true, false);
    pet.settleAtHome();
}

}  // namespace

TEST_F(PetViewTest, peekingHidesTowardTheHomeAndPopsOut) {
    struct Case {
        PetHomeKind kind;
        HomeEdge edge;
        anim::Point towardHome;
    };
    for (Case c : {Case{PetHomeKind::notch, HomeEdge::left, {0, 1}}, Case{PetHomeKind::dock, HomeEdge::bottom, {0, -1}},
                   Case{PetHomeKind::screenEdge, HomeEdge::left, {-1, 0}},
                   Case{PetHomeKind::dock, HomeEdge::right, {1, 0}}}) {
        PetView pet(energeticPet());
        pet.configureHome(home(c.kind, c.edge, 24));
        pet.setActivity(PetActivity::peeking);
        const auto& action = *pet.layers().actionLayer;
        ASSERT_NE(action.animation("homePeek"), nullptr);
        const Transform hidden = action.presentation(now()).transform;
        EXPECT_GT(hidden.tx * c.towardHome.x + hidden.ty * c.towardHome.y, 5) << model::rawValue(c.edge);
        EXPECT_EQ(hidden.tx * c.towardHome.y + hidden.ty * c.towardHome.x, 0) << "straight into the home";
        expectSmoothMove(action, now(), 1.0, hidden);
        EXPECT_EQ(pet.layers().gripLayer->animation("gripArrival"), nullptr) << "not gripping: no grip arrival";
    }

    // A dropped pet hides as deep as its perch allows, and its grip paws arrive with the peek;
    // the calm pet takes longer.
    PetView calm(calmPet());
    calm.setManualEdgePerch(HomeEdge::right, 30, 40);
    const auto& C = calm.layers();
    EXPECT_EQ(C.actionLayer->presentation(now()).transform.tx, 40);
    const auto* grip = C.gripLayer->animation("gripArrival");
    ASSERT_NE(grip, nullptr);
    EXPECT_EQ(grip->duration, C.actionLayer->animation("homePeek")->duration);
    view->configureHome(home(PetHomeKind::dock, HomeEdge::right, 24));
    view->setActivity(PetActivity::peeking);
    EXPECT_GT(grip->duration, L().actionLayer->animation("homePeek")->duration);
    sim.loop.advance(1);
    EXPECT_TRUE(C.actionLayer->animationKeys().empty()) << "the peek ends by itself";
}

TEST_F(PetViewTest, revealingKeepsTheSecondPetHiddenUntilItEmerges) {
    PetView second(calmPet());
    attachAndGrip(second, home(PetHomeKind::dock, HomeEdge::bottom, 22));
    const auto& S = second.layers();
    ASSERT_TRUE(second.isGrippingHome());
    settle();

    const double start = now();
    second.revealAtHome();
    const auto* reveal = S.actionLayer->animation("revealAtHome");
    ASSERT_NE(reveal, nullptr);
    EXPECT_GT(reveal->beginTime, start) << "the second pet waits its turn";
    EXPECT_EQ(S.gripLayer->animation("gripArrival")->beginTime, reveal->beginTime);

    // Before its turn the pet stays inside its home, grip paws unseen.
    sim.loop.advance(0.05);
    const Transform hidden = S.actionLayer->presentation(now()).transform;
    EXPECT_LT(hidden.ty, -5) << "down in the Dock";
    EXPECT_EQ(S.gripLayer->presentation(now()).opacity, 0);
    EXPECT_EQ(S.gripLayer->opacity(), 1) << "the model keeps the grip shown";
    expectSmoothMove(*S.actionLayer, reveal->beginTime, 1.5, hidden);
    sim.loop.advance(1.5);
    EXPECT_EQ(S.gripLayer->presentation(now()).opacity, 1);
    EXPECT_EQ(S.actionLayer->animation("revealAtHome"), nullptr);

    // The first pet comes out at once.
    view->revealAtHome();
    EXPECT_NEAR(L().actionLayer->animation("revealAtHome")->beginTime, now(), 1e-9);

    // A free second pet's shadow pulses at once, not with the delayed body.
    PetView free(calmPet());
    free.revealAtHome();
    ASSERT_NE(free.layers().shadowLayer->animation("weightPulse"), nullptr);
    EXPECT_NE(free.layers().shadowLayer->presentation(now() + 0.1).opacity, free.layers().shadowLayer->opacity());
}

TEST_F(PetViewTest, revealingNeedsAShownPetAndMotion) {
    view->setPresentationActive(false);
    view->revealAtHome();
    EXPECT_EQ(L().actionLayer->animation("revealAtHome"), nullptr);

    view->setPresentationActive(true);
    sim.accessibility.setReduceMotion(true);
    view->revealAtHome();
    view->setActivity(PetActivity::peeking);
    EXPECT_TRUE(L().actionLayer->animationKeys().empty()) << "no reveal, no peek";
}

TEST_F(PetViewTest, leavingHomeLetsGoAndPushesOff) {
    view->configureHome(home(PetHomeKind::notch, HomeEdge::top, 34));
    view->setHomeAttached(true, false);
    view->settleAtHome();
    settle();
    view->leaveHome();
    EXPECT_FALSE(view->isHomeAttached());
    EXPECT_FALSE(view->isGrippingHome());
    ASSERT_NE(L().actionLayer->animation("leaveHome"), nullptr);
    expectSmoothMove(*L().actionLayer, now(), 1.0, Transform::identity());

    PetView calm(calmPet());
    calm.setHomeAttached(true, false);
    sim.accessibility.setReduceMotion(true);
    calm.leaveHome();
    EXPECT_FALSE(calm.isHomeAttached()) << "under Reduce Motion the pet still lets go";
    EXPECT_TRUE(calm.layers().actionLayer->animationKeys().empty());
}

TEST_F(PetViewTest, settlingGripsWhenAttachedAndSquashesOnArrival) {
    view->setHomeAttached(true, false);
    settle();
    view->settleAtHome();
    EXPECT_TRUE(view->isGrippingHome());
    EXPECT_EQ(L().gripLayer->opacity(), 1);
    EXPECT_LT(L().gripLayer->presentation(now()).opacity, 1) << "the paws fade in";
    ASSERT_NE(L().actionLayer->animation("settle"), nullptr);
    const Transform squashed = L().actionLayer->presentation(now()).transform;
    EXPECT_LT(squashed.sx, 1) << "arrives squashed";
    expectSmoothMove(*L().actionLayer, now(), 1.0, squashed);
    settle();
    EXPECT_TRUE(L().actionLayer->animationKeys().empty());

    // A free pet settles without a grip; under Reduce Motion the switch is instant.
    PetView calm(calmPet());
    calm.setGrippingHome(true);
    sim.accessibility.setReduceMotion(true);
    calm.settleAtHome();
    EXPECT_FALSE(calm.isGrippingHome());
    EXPECT_EQ(calm.layers().gripLayer->animation("opacity"), nullptr);
    EXPECT_EQ(calm.layers().actionLayer->animation("settle"), nullptr);
}

TEST_F(PetViewTest, pausingTwiceChangesNothingAndResumingPeeksAgain) {
    view->configureHome(home(PetHomeKind::dock, HomeEdge::bottom, 22));
    view->setActivity(PetActivity::peeking);
    ASSERT_NE(L().actionLayer->animation("homePeek"), nullptr);

    view->setPresentationActive(false);
    EXPECT_FALSE(view->presentationActive());
    EXPECT_EQ(L().actionLayer->animation("homePeek"), nullptr);
    L().actionLayer->addAnimation(anim::Animation::basic("opacity", 0.0, 1.0, 5), "marker");
    view->setPresentationActive(false);
    EXPECT_NE(L().actionLayer->animation("marker"), nullptr) << "the second pause does nothing";

    view->setPresentationActive(true);
    EXPECT_NE(view->blinkTimer(), nullptr);
    EXPECT_NE(view->microMotionTimer(), nullptr);
    EXPECT_NE(L().actionLayer->animation("homePeek"), nullptr) << "a peeking pet peeks again";
}

TEST_F(PetViewTest, perchedPeekStartsAsDeepAsThePerchHidesAndComesOutALittlePastRest) {
    // Each edge with the direction that leads away from it, onto the screen.
    const std::pair<HomeEdge, anim::Point> edges[] = {
        {HomeEdge::left, {1, 0}}, {HomeEdge::right, {-1, 0}}, {HomeEdge::bottom, {0, 1}}, {HomeEdge::top, {0, -1}}};
    std::optional<double> share;
    for (const auto& [edge, in] : edges)
        for (double depth : {10.0, 27.0, 60.0}) {
            PetView pet(energeticPet());
            pet.setManualEdgePerch(edge, 24, depth);
            const auto& action = *pet.layers().actionLayer;
            double pastRest = 0;
            for (double t = now(); t < now() + 1; t += 0.004) {
                const Transform shown = action.presentation(t).transform;
                const double along = shown.tx * in.x + shown.ty * in.y;
                if (t == now()) {
                    EXPECT_NEAR(along, -depth, 1e-9) << model::rawValue(edge) << " " << depth;
                }
                EXPECT_NEAR(shown.tx * in.y - shown.ty * in.x, 0, 1e-9) << "straight out of the edge";
                pastRest = std::max(pastRest, along);
            }
            EXPECT_GT(pastRest, 0) << model::rawValue(edge) << " " << depth;
            EXPECT_LT(pastRest, depth / 2) << model::rawValue(edge) << " " << depth;
            // Deeper perches peek out farther, in the same measure.
            if (!share) share = pastRest / depth;
            EXPECT_NEAR(pastRest / depth, *share, 0.01) << model::rawValue(edge) << " " << depth;
            EXPECT_TRUE(action.presentation(now() + 1).transform.isIdentity()) << "at rest";
        }
}
