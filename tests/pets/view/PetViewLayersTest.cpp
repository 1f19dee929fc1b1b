#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "platform/program/ResourceBundle.h"
#include "model/L10n.h"
#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Rect;

namespace fs = std::filesystem;

TEST_F(PetViewTest, atRestEveryPropIsHiddenAndBothFurLayersShareOneBitmap) {
    ASSERT_NE(L().furLayer->contents(), nullptr);
    EXPECT_EQ(L().furEchoLayer->contents(), L().furLayer->contents()) << "decoded once";
    for (const anim::Layer* prop : std::initializer_list<const anim::Layer*>{
             L().gripLayer.get(), L().highFiveLayer.get(), L().effortLayer.get(), L().snackLayer.get(),
             L().mouthLayer.get(), L().leftTearLayer.get(), L().signLayer.get(), L().signTextLayer.get(),
             L().signHandsLayer.get()})
        EXPECT_EQ(prop->opacity(), 0) << prop->name << " shows only in its scene";
    EXPECT_EQ(L().sparkleLayer->birthRate(), 0) << "no sparkles until a celebration";
}

TEST_F(PetViewTest, everyLayerTakesTheMainScreensScaleOrTwoWithoutScreens) {
    sim.screens.setScreens({});
    PetView noScreen(calmPet());
    std::function<void(const anim::Layer&, double)> expectScale = [&](const anim::Layer& layer, double scale) {
        EXPECT_EQ(layer.contentsScale(), scale) << layer.name;
        for (const auto& sub : layer.sublayers()) expectScale(*sub, scale);
    };
    expectScale(*noScreen.layer(), 2);

    auto screen = platform::sim::SimScreens::display(1, {0, 0, 1440, 900});
    screen.backingScaleFactor = 3;
    sim.screens.setScreens({screen});
    PetView sharp(calmPet());
    expectScale(*sharp.layer(), 3);
}

TEST_F(PetViewTest, layoutScalesTheFaceWithTheBoundsButNotTheEyesAndDoesNotAnimate) {
    view->setFrame({0, 0, 52, 52});
    const auto eye = L().leftEye->pathBounds(), paw = L().rightPaw->pathBounds();
    view->setFrame({0, 0, 104, 104});
    for (const anim::Layer* container : {L().homePoseLayer.get(), L().secondaryLayer.get(), L().faceLayer.get()})
        EXPECT_EQ(container->frame(), (Rect{0, 0, 104, 104})) << container->name;
    const auto bigEye = L().leftEye->pathBounds(), bigPaw = L().rightPaw->pathBounds();
    EXPECT_NEAR(bigEye.midX(), 2 * eye.midX(), 1e-9);
    EXPECT_NEAR(bigEye.midY(), 2 * eye.midY(), 1e-9);
    EXPECT_NEAR(bigEye.width(), eye.width(), 1e-9) << "eyes keep their size";
    EXPECT_NEAR(bigPaw.minX(), 2 * paw.minX(), 1e-9);
    EXPECT_TRUE(L().homePoseLayer->animationKeys().empty()) << "layout does not animate";
}

TEST_F(PetViewTest, layoutWithEmptyBoundsLeavesGripAndAccessoryForTheFirstRealBounds) {
    view->setAccessory(model::PetAccessory::scarf);
    auto grip = L().leftGripOutline->path();
    auto scarf = L().accessoryLayer->path();

    view->setFrame({0, 0, 0, 0});
    EXPECT_EQ(L().leftGripOutline->path(), grip) << "layout keeps the grip for real bounds";
    view->configureHome(home(model::PetHomeKind::dock, model::HomeEdge::left, 22));
    view->setAccessory(model::PetAccessory::starPin);
    EXPECT_EQ(L().secondaryLayer->frame(), Rect{}) << "frames still follow";
    EXPECT_EQ(L().furLayer->frame().size, (anim::Size{0, 0})) << "an inset of nothing is nothing";
    EXPECT_EQ(L().accessoryLayer->path(), scarf) << "no accessory path without bounds";
    EXPECT_FALSE(L().signLayer->path().isEmpty()) << "fixed paths are drawn all the same";

    view->setFrame({0, 0, 52, 52});
    EXPECT_NE(L().leftGripOutline->path(), grip) << "the new edge's grip, once there is room";
    EXPECT_NE(L().accessoryLayer->path(), scarf);
}

TEST_F(PetViewTest, furImageComesOnlyFromTheResourceBundle) {
    const fs::path shipped = platform::ResourceBundle::module().root() / "Assets" / "FurBallBody-v1.png";
    const auto& fur = *L().furLayer->contents();
    EXPECT_EQ(fur.source(), anim::Image::Source::pngFile);
    EXPECT_EQ(fs::path(fur.filePath()), shipped);
    EXPECT_EQ(fur.pointSize(), (anim::Size{52, 52})) << "drawn at 2x for the 52-point square";

    testfiles::TemporaryFolder bundle("petview-bundle"), workDir("petview-cwd");
    PetView::setFurBundleRootForTesting(bundle.path());
    testfiles::writeFile(workDir / "Resources" / "Assets" / "FurBallBody-v1.png", testfiles::readFile(shipped));
    const fs::path previous = fs::current_path();
    fs::current_path(workDir.path());
    PetView stray(calmPet());
    fs::current_path(previous);
    EXPECT_EQ(stray.layers().furLayer->contents(), nullptr) << "a fur beside the working directory is never read";
    EXPECT_EQ(stray.layers().furEchoLayer->contents(), nullptr);
    EXPECT_FALSE(stray.layers().leftEye->path().isEmpty()) << "the rest of the pet still draws";

    testfiles::writeFile(bundle / "Assets" / "FurBallBody-v1.png", testfiles::readFile(shipped));
    PetView bundled(calmPet());
    PetView::setFurBundleRootForTesting(std::nullopt);
    ASSERT_NE(bundled.layers().furLayer->contents(), nullptr);
    EXPECT_EQ(fs::path(bundled.layers().furLayer->contents()->filePath()), bundle / "Assets" / "FurBallBody-v1.png");
}

TEST_F(PetViewTest, lifeTimersReArmAndEndWithTheView) {
    const platform::Timer* firstBlink = view->blinkTimer();
    view->startGazeTracking();
    sim.loop.advance(8);
    EXPECT_NE(view->blinkTimer(), firstBlink) << "each blink arms the next";
    EXPECT_TRUE(view->blinkTimer()->isValid());
    EXPECT_TRUE(view->microMotionTimer()->isValid());
    const platform::Timer* gaze = view->gazeTimer();
    view->startGazeTracking();
    EXPECT_EQ(view->gazeTimer(), gaze) << "a running gaze timer is kept";

    view.reset();
    sim.loop.advance(20);
    EXPECT_EQ(sim.loop.activeTimerCount(), 0u) << "no timer outlives its view";
}

TEST_F(PetViewTest, languageChangeRelabelsTheCaptionOnALaterTurn) {
    model::L10n::setAppLanguageChoice(model::AppLanguageChoice::simplifiedChinese);
    PetView pet(calmPet());
    EXPECT_EQ(pet.layers().signCaptionLayer->string(), "今日按键");

    model::L10n::setAppLanguageChoice(model::AppLanguageChoice::english);
    sim.notifications.post(model::L10n::tuftleLanguageDidChange);
    EXPECT_EQ(pet.layers().signCaptionLayer->string(), "今日按键") << "not in the middle of the poster's work";
    sim.loop.runPending();
    EXPECT_EQ(pet.layers().signCaptionLayer->string(), "Today's keys");

    // A view gone before its step runs is simply skipped.
    auto doomed = std::make_unique<PetView>(calmPet());
    sim.notifications.post(model::L10n::tuftleLanguageDidChange);
    doomed.reset();
    sim.loop.runPending();
    model::L10n::setAppLanguageChoice(std::nullopt);
}

TEST_F(PetViewTest, reduceMotionChangeRebuildsTheLookOnlyWhilePresented) {
    view->setHomeAttached(true, false);
    view->configureHome(home(model::PetHomeKind::dock, model::HomeEdge::bottom, 22));
    const anim::Transform pose = L().homePoseLayer->transform(), face = L().faceLayoutLayer->transform();
    ASSERT_FALSE(pose.isIdentity() && face.isIdentity());
    auto wobble = anim::Animation::basic("transform.rotation.z", 0.0, 0.3, 5);
    L().interactionLayer->addAnimation(wobble, "wobble");
    L().leftEye->addAnimation(anim::Animation::basic("opacity", 0.0, 1.0, 5), "glint");

    view->setPresentationActive(false);
    L().actionLayer->addAnimation(wobble, "wobble");
    sim.accessibility.setReduceMotion(true);
    sim.loop.runPending();
    EXPECT_NE(L().actionLayer->animation("wobble"), nullptr) << "a hidden pet waits until it is shown";

    view->setPresentationActive(true);
    L().actionLayer->addAnimation(wobble, "wobble");
    L().attentionLayer->setTransform(anim::Transform::translation(2, 1));
    L().homePoseLayer->setTransform(anim::Transform::identity());
    L().faceLayoutLayer->setTransform(anim::Transform::identity());
    sim.accessibility.setReduceMotion(false);
    EXPECT_NE(L().actionLayer->animation("wobble"), nullptr) << "the refresh runs on a later turn";
    sim.loop.runPending();
    EXPECT_EQ(L().actionLayer->animation("wobble"), nullptr);
    EXPECT_NE(L().leftEye->animation("glint"), nullptr) << "only the containers' own animations go";
    EXPECT_TRUE(L().attentionLayer->transform().isIdentity());
    EXPECT_EQ(L().homePoseLayer->transform(), pose) << "the pose is rebuilt";
    EXPECT_EQ(L().faceLayoutLayer->transform(), face) << "the face offset is put back";
}
