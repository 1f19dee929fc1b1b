#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using model::HomeEdge;
using model::PetAccessory;
using model::PetActivity;
using model::PetHomeKind;

namespace {

constexpr double pi = std::numbers::pi;

void expectNear(anim::Point a, anim::Point b, double tolerance = 1e-9) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
}

}  // namespace

TEST_F(PetViewTest, homePosesFaceAndPawsFollowEachEdge) {
    struct Case {
        PetHomeKind kind;
        HomeEdge edge;
        double pawAngle;
    };
    for (Case c :
         {Case{PetHomeKind::dock, HomeEdge::top, pi}, Case{PetHomeKind::dock, HomeEdge::bottom, 0},
          Case{PetHomeKind::dock, HomeEdge::left, -pi / 2}, Case{PetHomeKind::screenEdge, HomeEdge::right, pi / 2},
          Case{PetHomeKind::notch, HomeEdge::left, pi}, Case{PetHomeKind::notch, HomeEdge::bottom, pi}}) {
        PetView pet(calmPet());
        pet.setHomeAttached(true, false);
        pet.configureHome(home(c.kind, c.edge, 24));
        const auto& L = pet.layers();
        auto pose = model::HomeContactEngine::pose(c.kind, c.edge, PetActivity::home);
        EXPECT_EQ(L.homePoseLayer->transform(),
                  anim::Transform::pose(pose.offsetX, pose.offsetY, pose.rotation, pose.scaleX, pose.scaleY))
            << model::rawValue(c.edge);
        EXPECT_TRUE(L.homePoseLayer->animationKeys().empty()) << "a new home takes its pose at once";
        EXPECT_EQ(L.pawLayer->transform().rotation, c.pawAngle);
        auto offset = model::HomeAttachmentLayout::faceOffset(c.kind, c.edge);
        EXPECT_EQ(L.faceLayoutLayer->transform(), anim::Transform::translation(offset.x, offset.y));
        EXPECT_EQ(L.shadowLayer->opacity(), 0) << "no ground shadow at home";

        pet.setActivity(PetActivity::sleeping);
        auto sag = model::HomeContactEngine::pose(c.kind, c.edge, PetActivity::sleeping);
        EXPECT_EQ(L.homePoseLayer->transform().sy, sag.scaleY) << "the pose follows the activity";
        EXPECT_NE(L.homePoseLayer->animation("transform"), nullptr) << "and eases there";
    }
}

TEST_F(PetViewTest, aFreePetTakesTheNeutralLookWhateverItsHome) {
    view->configureHome(home(PetHomeKind::notch, HomeEdge::top, 34));
    EXPECT_FALSE(view->isHomeAttached()) << "a new home keeps the attachment state";
    EXPECT_TRUE(L().homePoseLayer->transform().isIdentity());
    EXPECT_TRUE(L().pawLayer->transform().isIdentity());
    EXPECT_TRUE(L().faceLayoutLayer->transform().isIdentity());
    EXPECT_EQ(L().shadowLayer->opacity(), 1);
    EXPECT_EQ(L().leftPaw->opacity(), 1) << "a pet at rest shows its front paws";
}

TEST_F(PetViewTest, attachingAndLettingGoChangeOnlyWhatTheyMust) {
    view->setHomeAttached(true, true);
    ASSERT_NE(L().shadowLayer->animation("opacity"), nullptr);
    EXPECT_EQ(L().shadowLayer->animation("opacity")->duration, 0.24);
    EXPECT_EQ(L().faceLayoutLayer->animation("transform")->duration, 0.2);
    settle();

    view->setHomeAttached(true, true);
    EXPECT_EQ(L().shadowLayer->animation("opacity"), nullptr) << "attaching twice changes nothing";
    EXPECT_EQ(L().faceLayoutLayer->animation("transform"), nullptr);

    view->setManualEdgePerch(HomeEdge::left, 22, 52);
    settle();
    PetView free(calmPet());
    free.setManualEdgePerch(HomeEdge::right, 30, 52);
    free.setHomeAttached(false, false);
    free.setHomeAttached(false, false);
    EXPECT_FALSE(free.manualPerchEdge().has_value());
    EXPECT_EQ(free.layers().shadowLayer->opacity(), 1);

    view->setHomeAttached(false, true);
    EXPECT_FALSE(view->isHomeAttached());
    EXPECT_FALSE(view->isGrippingHome());
    EXPECT_FALSE(view->manualPerchEdge().has_value()) << "letting go forgets the perch";
    EXPECT_EQ(view->manualHiddenTravelDistance(), 0);
    EXPECT_TRUE(L().pawLayer->transform().isIdentity());
    EXPECT_EQ(L().gripLayer->opacity(), 0);
}

TEST_F(PetViewTest, reduceMotionMakesEveryHomeChangeAtOnce) {
    sim.accessibility.setReduceMotion(true);
    view->setHomeAttached(true, true);
    view->configureHome(home(PetHomeKind::dock, HomeEdge::right, 30));
    view->setActivity(PetActivity::drowsy);
    for (const anim::Layer* layer : {static_cast<anim::Layer*>(L().shadowLayer.get()), L().pawLayer.get(),
                                     L().faceLayoutLayer.get(), L().homePoseLayer.get()})
        EXPECT_TRUE(layer->animationKeys().empty()) << layer->name;
    EXPECT_EQ(L().faceLayoutLayer->transform().tx, -7.0);
    EXPECT_EQ(L().homePoseLayer->transform().rotation, 0.05);
}

TEST_F(PetViewTest, gripPawsAreCapsulesAlongTheirStrokesAndShowOnlyWhileGripping) {
    view->setHomeAttached(true, false);
    view->configureHome(home(PetHomeKind::dock, HomeEdge::bottom, 22));
    EXPECT_EQ(L().gripLayer->opacity(), 0) << "attached but not gripping";
    view->setGrippingHome(true);
    view->updateFreePaws();
    EXPECT_EQ(L().gripLayer->opacity(), 1);
    EXPECT_EQ(L().leftPaw->opacity(), 0) << "the front paws hide at home";

    // Bottom edge: strokes from o + 3.8 down to o - 6.2, mapped through the inverse pose.
    auto strokes = model::HomeAttachmentLayout::gripStrokes(
        HomeEdge::bottom, 22, {52, 52},
        model::HomeContactEngine::pose(PetHomeKind::dock, HomeEdge::bottom, PetActivity::home));
    for (auto [layer, stroke] :
         {std::pair{L().leftGripOutline.get(), strokes[0]}, {L().rightGripOutline.get(), strokes[1]}}) {
        auto box = layer->pathBounds();
        expectNear(box.center(), {(stroke[0].x + stroke[2].x) / 2, (stroke[0].y + stroke[2].y) / 2});
        EXPECT_NEAR(box.height(), std::abs(stroke[2].y - stroke[0].y), 1e-6) << "lying along its vertical stroke";
        EXPECT_NEAR(box.width(), 3.7, 1e-6);
    }

    view->setActivity(PetActivity::sleeping);
    EXPECT_EQ(L().gripLayer->opacity(), 0) << "a sleeping pet lets its grip rest";
    view->setActivity(PetActivity::home);
    view->configureHome(home(PetHomeKind::screenEdge, HomeEdge::left, 22));
    auto box = L().leftGripOutline->pathBounds();
    EXPECT_LT(box.height(), box.width()) << "a side edge lays the capsules across";
}

TEST_F(PetViewTest, perchingOnAnEdgeEndsPerchedGrippingAndAttached) {
    view->setManualEdgePerch(HomeEdge::top, 30, 48);
    EXPECT_EQ(view->activity(), PetActivity::perched);
    EXPECT_EQ(view->homeKind(), PetHomeKind::screenEdge);
    EXPECT_EQ(view->homeEdge(), HomeEdge::top);
    EXPECT_EQ(view->homeBoundaryOffset(), 30);
    EXPECT_EQ(view->manualPerchEdge(), HomeEdge::top);
    EXPECT_EQ(view->manualHiddenTravelDistance(), 48);
    EXPECT_TRUE(view->isHomeAttached());
    EXPECT_TRUE(view->isGrippingHome());
    EXPECT_EQ(L().gripLayer->opacity(), 1);
    EXPECT_EQ(L().faceLayoutLayer->transform(), anim::Transform::translation(0, -9.5))
        << "a screen top hangs the face low";
    EXPECT_EQ(L().pawLayer->transform().rotation, pi);
}

TEST_F(PetViewTest, eyesAreFlatterOnTheCalmPet) {
    PetView calm(calmPet());
    EXPECT_LT(calm.layers().leftEye->pathBounds().height(), L().leftEye->pathBounds().height());
}

TEST_F(PetViewTest, accessoriesAreDrawnOnceAndRemovedCleanly) {
    auto& accessory = *L().accessoryLayer;
    EXPECT_TRUE(accessory.path().isEmpty());

    view->setAccessory(PetAccessory::starPin);
    const auto star = accessory.path();
    EXPECT_FALSE(star.isEmpty());
    auto version = accessory.contentVersion();
    view->setAccessory(PetAccessory::starPin);
    EXPECT_EQ(accessory.contentVersion(), version) << "the same accessory is not redrawn";

    view->setAccessory(PetAccessory::scarf);
    EXPECT_NE(accessory.path(), star);
    EXPECT_NE(accessory.fillColor(), anim::Color::rgb(0, 0, 0)) << "a colour of its own on the dark fur";
    const auto scarf = accessory.pathBounds();
    view->setHomeAttached(true, false);
    view->configureHome(home(PetHomeKind::notch, HomeEdge::top, 34));
    EXPECT_EQ(accessory.pathBounds(), scarf) << "the accessory ignores the home";

    view->setAccessory(PetAccessory::none);
    EXPECT_TRUE(accessory.path().isEmpty());
}
