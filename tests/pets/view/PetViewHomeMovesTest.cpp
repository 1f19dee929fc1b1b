#include <gtest/gtest.h>

#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Transform;
using model::HomeEdge;
using model::PetActivity;
using model::PetHomeKind;

namespace {

// The first pose of a home move: where the body starts, relative to its home pose.
anim::Point startOffset(const anim::Layer& layer, const std::string& key) {
    const auto* a = layer.animation(key);
    if (!a) return {1e9, 1e9};
    const auto& t = std::get<Transform>(a->values.front());
    return {t.tx, t.ty};
}

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
        anim::Point hidden;
    };
    for (Case c :
         {Case{PetHomeKind::notch, HomeEdge::left, {0, 13}}, Case{PetHomeKind::dock, HomeEdge::bottom, {0, -13}},
          Case{PetHomeKind::screenEdge, HomeEdge::left, {-13, 0}}, Case{PetHomeKind::dock, HomeEdge::right, {13, 0}}}) {
        PetView pet(energeticPet());
        pet.configureHome(home(c.kind, c.edge, 24));
        pet.setActivity(PetActivity::peeking);
        const auto* peek = pet.layers().actionLayer->animation("homePeek");
        ASSERT_NE(peek, nullptr);
        EXPECT_EQ(startOffset(*pet.layers().actionLayer, "homePeek").x, c.hidden.x) << model::rawValue(c.edge);
        EXPECT_EQ(startOffset(*pet.layers().actionLayer, "homePeek").y, c.hidden.y) << model::rawValue(c.edge);
        EXPECT_EQ(peek->duration, 0.72);
        EXPECT_EQ(peek->keyTimes, (std::vector<double>{0, 0.46, 0.72, 1}));
        EXPECT_EQ(std::get<Transform>(peek->values[1]),
                  Transform::pose(-0.1 * c.hidden.x, -0.1 * c.hidden.y, 0, 1.04, 0.97));
        EXPECT_TRUE(std::get<Transform>(peek->values.back()).isIdentity());
        EXPECT_EQ(pet.layers().gripLayer->animation("gripArrival"), nullptr) << "not gripping: no grip arrival";
    }

    // A dropped pet hides as deep as its perch allows, and its grip paws arrive with the peek.
    PetView calm(calmPet());
    calm.setManualEdgePerch(HomeEdge::right, 30, 40);
    const auto& L = calm.layers();
    EXPECT_EQ(startOffset(*L.actionLayer, "homePeek").x, 40);
    EXPECT_EQ(L.actionLayer->animation("homePeek")->duration, 0.94) << "the calm pet takes longer";
    const auto* grip = L.gripLayer->animation("gripArrival");
    ASSERT_NE(grip, nullptr);
    EXPECT_EQ(grip->duration, 0.94);
    EXPECT_EQ(grip->keyTimes, (std::vector<double>{0, 0.14, 0.42, 1}));
    sim.loop.advance(1);
    EXPECT_TRUE(L.actionLayer->animationKeys().empty()) << "the peek ends by itself";
    EXPECT_TRUE(L.actionLayer->presentation(now()).transform.isIdentity());
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
    EXPECT_EQ(reveal->duration, 1.16);
    EXPECT_NEAR(reveal->beginTime, start + 0.18, 1e-9);
    EXPECT_EQ(reveal->timingFunctions.size(), 3u);
    EXPECT_EQ(S.gripLayer->animation("gripArrival")->beginTime, reveal->beginTime);

    // Before its turn the pet stays inside its home, grip paws unseen.
    sim.loop.advance(0.1);
    EXPECT_EQ(S.actionLayer->presentation(now()).transform, Transform::pose(0, -13, 0, 0.9, 1.08));
    EXPECT_EQ(S.gripLayer->presentation(now()).opacity, 0);
    EXPECT_EQ(S.gripLayer->opacity(), 1) << "the model keeps the grip shown";

    sim.loop.advance(1.3);
    EXPECT_TRUE(S.actionLayer->presentation(now()).transform.isIdentity());
    EXPECT_EQ(S.gripLayer->presentation(now()).opacity, 1);
    EXPECT_EQ(S.actionLayer->animation("revealAtHome"), nullptr);

    // The first pet comes out at once.
    view->revealAtHome();
    EXPECT_NEAR(L().actionLayer->animation("revealAtHome")->beginTime, now(), 1e-9);
    EXPECT_EQ(L().actionLayer->animation("revealAtHome")->duration, 0.92);

    // A free second pet's shadow pulses at once, not with the delayed body.
    PetView free(calmPet());
    free.revealAtHome();
    const auto* pulse = free.layers().shadowLayer->animation("weightPulse");
    ASSERT_NE(pulse, nullptr);
    EXPECT_EQ(pulse->duration, 1.16);
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
    view->leaveHome();
    EXPECT_FALSE(view->isHomeAttached());
    EXPECT_FALSE(view->isGrippingHome());
    const auto* leave = L().actionLayer->animation("leaveHome");
    ASSERT_NE(leave, nullptr);
    EXPECT_EQ(leave->duration, 0.38);
    // Pushing off the notch: a dip toward it by 12 % of the 8-point offset, then a rebound.
    EXPECT_EQ(std::get<Transform>(leave->values[1]), Transform::pose(-0.12 * 0.0, -0.12 * 8, 0, 1.08, 0.92));
    EXPECT_EQ(std::get<Transform>(leave->values[2]), Transform::pose(0.08 * 0.0, 0.08 * 8, 0, 0.96, 1.06));

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
    ASSERT_NE(L().gripLayer->animation("opacity"), nullptr);
    EXPECT_EQ(L().gripLayer->animation("opacity")->duration, 0.18) << "the paws cross-fade";
    const auto* squash = L().actionLayer->animation("settle");
    ASSERT_NE(squash, nullptr);
    EXPECT_EQ(squash->duration, 0.46);
    EXPECT_EQ(squash->keyTimes, (std::vector<double>{0, 0.34, 0.68, 1}));
    EXPECT_EQ(std::get<Transform>(squash->values.front()), Transform::pose(0, 3, 0, 0.91, 1.11));
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
