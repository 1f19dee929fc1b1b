#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "anim/Transaction.h"
#include "platform/ResourceBundle.h"
#include "model/L10n.h"
#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Color;
using anim::Rect;

namespace fs = std::filesystem;

namespace {

// A bundle folder of the test's own, removed afterwards; the fur lookup points at it.
struct TemporaryBundle {
    fs::path root = fs::temp_directory_path() / ("petview-bundle-" + std::to_string(::getpid()));
    TemporaryBundle() {
        fs::create_directories(root / "Assets");
        PetView::setFurBundleRootForTesting(root);
    }
    ~TemporaryBundle() {
        PetView::setFurBundleRootForTesting(std::nullopt);
        fs::remove_all(root);
    }
    void addFur(const fs::path& at) {
        fs::create_directories(at.parent_path());
        fs::copy_file(platform::ResourceBundle::module().root() / "Assets" / "FurBallBody-v1.png", at,
                      fs::copy_options::overwrite_existing);
    }
};

}  // namespace

TEST_F(PetViewTest, layerTreeNestsTheSixMotionFamiliesAndDrawsInItsOrder) {
    EXPECT_EQ(names(*L().root), (std::vector<std::string>{"shadowLayer", "homePoseLayer", "sparkleLayer"}));
    const anim::Layer* chain = L().homePoseLayer.get();
    for (const char* family : {"ambientLayer", "actionLayer", "attentionLayer", "interactionLayer", "secondaryLayer"}) {
        ASSERT_EQ(chain->sublayers().size(), 1u) << chain->name;
        chain = chain->sublayers().front().get();
        EXPECT_EQ(chain->name, family);
    }
    EXPECT_EQ(names(*L().secondaryLayer),
              (std::vector<std::string>{"furEchoLayer", "furLayer", "accessoryLayer", "faceLayoutLayer", "pawLayer",
                                        "sceneLayer", "gripLayer"}));
    EXPECT_EQ(names(*L().faceLayoutLayer), std::vector<std::string>{"faceLayer"});
    EXPECT_EQ(names(*L().faceLayer), (std::vector<std::string>{"leftEye", "rightEye", "leftPupil", "rightPupil"}));
    EXPECT_EQ(names(*L().pawLayer), (std::vector<std::string>{"leftPaw", "rightPaw"}));
    EXPECT_EQ(names(*L().sceneLayer),
              (std::vector<std::string>{"snackLayer", "snackDetailLayer", "mouthLayer", "leftTearLayer",
                                        "rightTearLayer", "tearSplashLayer", "highFiveLayer", "signLayer",
                                        "signTextLayer", "signCaptionLayer", "signHandsLayer", "effortLayer"}));
    EXPECT_EQ(names(*L().gripLayer), (std::vector<std::string>{"leftGripOutline", "rightGripOutline"}));
}

TEST_F(PetViewTest, layersLookAsTheirRolesNeed) {
    EXPECT_EQ(L().shadowLayer->fillColor(), Color::black().withAlpha(0.24));
    EXPECT_EQ(L().shadowLayer->shadowOpacity(), 0.25);
    EXPECT_EQ(L().shadowLayer->shadowRadius(), 2.5);
    EXPECT_EQ(L().shadowLayer->shadowOffset(), (anim::Size{0, -1}));

    ASSERT_NE(L().furLayer->contents(), nullptr);
    EXPECT_EQ(L().furEchoLayer->contents(), L().furLayer->contents()) << "one bitmap, decoded once";
    EXPECT_EQ(L().furLayer->contentsGravity(), anim::ContentsGravity::resizeAspect);
    EXPECT_EQ(L().furLayer->minificationFilter(), anim::ScalingFilter::trilinear);
    EXPECT_EQ(L().furEchoLayer->opacity(), 0.16);
    EXPECT_EQ(L().furEchoLayer->compositingFilter(), "screenBlendMode");

    EXPECT_EQ(L().leftEye->fillColor(), Color::rgb(0.99, 0.96, 0.87)) << "the skin's eye colour";
    EXPECT_EQ(L().gripLayer->opacity(), 0) << "no grip until the pet clings";
    EXPECT_EQ(L().highFiveLayer->opacity(), 0);
    EXPECT_EQ(L().effortLayer->opacity(), 0);
    EXPECT_EQ(L().signTextLayer->string(), "128");
    EXPECT_TRUE(L().signTextLayer->monospacedDigits()) << "a changing count does not jitter";
    for (const anim::Layer* prop : std::initializer_list<const anim::Layer*>{
             L().snackLayer.get(), L().mouthLayer.get(), L().leftTearLayer.get(), L().signLayer.get(),
             L().signTextLayer.get(), L().signHandsLayer.get()})
        EXPECT_EQ(prop->opacity(), 0) << prop->name << " shows only in its scene";

    const auto& sparkles = *L().sparkleLayer;
    EXPECT_EQ(sparkles.birthRate(), 0);
    EXPECT_EQ(sparkles.emitterShape(), anim::EmitterShape::circle);
    EXPECT_EQ(sparkles.emitterSize(), (anim::Size{32, 32}));
    ASSERT_EQ(sparkles.emitterCells().size(), 1u);
    const auto& cell = sparkles.emitterCells().front();
    EXPECT_EQ(cell.emissionRange, 2 * std::numbers::pi) << "sparkles fly every way";
    EXPECT_LT(cell.alphaSpeed, 0) << "and fade";
    ASSERT_NE(cell.contents, nullptr);
    EXPECT_EQ(cell.contents->pointSize(), (anim::Size{20, 20}));
    ASSERT_EQ(cell.contents->drawing().size(), 1u);
    EXPECT_EQ(cell.contents->drawing()[0].path.boundingBox(), (Rect{0, 0, 20, 20})) << "a star filling its square";
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

TEST_F(PetViewTest, layoutFramesTheTreeAndDrawsPathsForTheBounds) {
    view->setFrame({0, 0, 104, 104});
    const Rect b{0, 0, 104, 104};
    for (const anim::Layer* container : std::initializer_list<const anim::Layer*>{
             L().homePoseLayer.get(), L().secondaryLayer.get(), L().shadowLayer.get(), L().accessoryLayer.get(),
             L().faceLayer.get(), L().sceneLayer.get()})
        EXPECT_EQ(container->frame(), b) << container->name;
    EXPECT_EQ(L().furEchoLayer->frame(), (Rect{0.5, 0.5, 103, 103}));
    EXPECT_EQ(L().furLayer->frame(), (Rect{1.5, 1.5, 101, 101}));
    EXPECT_EQ(L().leftEye->frame(), Rect{}) << "shape layers draw in their parent's coordinates";

    // Face and paws scale with the bounds; eye sizes and the shadow's height do not.
    auto eye = L().leftEye->pathBounds();
    EXPECT_NEAR(eye.midX(), 0.388 * 104, 1e-9);
    EXPECT_NEAR(eye.midY(), 0.558 * 104, 1e-9);
    EXPECT_NEAR(eye.width(), 7, 1e-9);
    EXPECT_NEAR(eye.height(), 8.8, 1e-9);
    EXPECT_NEAR(L().rightPupil->pathBounds().midX(), 0.612 * 104, 1e-9);
    auto paw = L().rightPaw->pathBounds();
    EXPECT_NEAR(paw.minX(), 0.615 * 104, 1e-9);
    EXPECT_NEAR(paw.height(), 0.081 * 104, 1e-9);
    auto shadow = L().shadowLayer->pathBounds();
    EXPECT_NEAR(shadow.minX(), 10, 1e-9);
    EXPECT_NEAR(shadow.width(), 84, 1e-9);
    EXPECT_NEAR(shadow.height(), 5.5, 1e-9);
    EXPECT_EQ(L().sparkleLayer->emitterPosition(), (anim::Point{52, 52}));

    // The props stay at fixed points of the 52-point square.
    auto sign = L().signLayer->pathBounds();
    EXPECT_NEAR(sign.minX(), 7, 1e-9);
    EXPECT_NEAR(sign.maxY(), 52, 1e-9);
    EXPECT_EQ(L().signTextLayer->frame(), (Rect{9, 34.2, 34, 11}));
    EXPECT_NEAR(L().effortLayer->pathBounds().minX(), 2, 1e-9);
    EXPECT_FALSE(L().leftGripOutline->path().isEmpty());
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
    const auto& fur = *L().furLayer->contents();
    EXPECT_EQ(fur.source(), anim::Image::Source::pngFile);
    EXPECT_EQ(fs::path(fur.filePath()), platform::ResourceBundle::module().root() / "Assets" / "FurBallBody-v1.png");
    EXPECT_EQ(fur.pixelWidth(), 104);
    EXPECT_EQ(fur.pointSize(), (anim::Size{52, 52})) << "drawn at 2x for the 52-point square";

    TemporaryBundle bundle;
    const fs::path workDir = bundle.root.parent_path() / ("petview-cwd-" + std::to_string(::getpid()));
    bundle.addFur(workDir / "Resources" / "Assets" / "FurBallBody-v1.png");
    const fs::path previous = fs::current_path();
    fs::current_path(workDir);
    PetView stray(calmPet());
    fs::current_path(previous);
    fs::remove_all(workDir);
    EXPECT_EQ(stray.layers().furLayer->contents(), nullptr) << "a fur beside the working directory is never read";
    EXPECT_EQ(stray.layers().furEchoLayer->contents(), nullptr);
    EXPECT_FALSE(stray.layers().leftEye->path().isEmpty()) << "the rest of the pet still draws";
    EXPECT_FALSE(stray.layers().leftPaw->path().isEmpty());

    bundle.addFur(bundle.root / "Assets" / "FurBallBody-v1.png");
    PetView bundled(calmPet());
    ASSERT_NE(bundled.layers().furLayer->contents(), nullptr);
    EXPECT_EQ(fs::path(bundled.layers().furLayer->contents()->filePath()),
              bundle.root / "Assets" / "FurBallBody-v1.png");
}

TEST_F(PetViewTest, lifeTimersRunOnTheirIntervalsAndEndWithTheView) {
    for (int id : {0, 1}) {
        for (uint64_t seed : {1u, 2u, 3u, 4u}) {
            platform::sim::SimPlatform local(seed);
            PetView pet({id, "", id == 0});
            double lag = id * 0.35;
            ASSERT_NE(pet.blinkTimer(), nullptr);
            EXPECT_GE(pet.blinkTimer()->interval(), 2.4 + lag);
            EXPECT_LE(pet.blinkTimer()->interval(), 5.2 + lag);
            EXPECT_EQ(pet.blinkTimer()->tolerance(), 0.25);
            EXPECT_GE(pet.microMotionTimer()->interval(), 3.8 + id * 0.45);
            EXPECT_LE(pet.microMotionTimer()->interval(), 7.4 + id * 0.45);
            EXPECT_EQ(pet.microMotionTimer()->tolerance(), 0.45);
            EXPECT_EQ(pet.gazeTimer()->interval(), 0.16);
            EXPECT_EQ(pet.gazeTimer()->tolerance(), 0.05);
        }
    }

    const platform::Timer* firstBlink = view->blinkTimer();
    view->startGazeTracking();
    const platform::Timer* gaze = view->gazeTimer();
    sim.loop.advance(8);
    EXPECT_NE(view->blinkTimer(), firstBlink) << "each blink arms the next";
    EXPECT_TRUE(view->blinkTimer()->isValid());
    EXPECT_TRUE(view->microMotionTimer()->isValid());
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
    EXPECT_EQ(pet.layers().signTextLayer->string(), "128") << "no count shown yet, so the number stays";

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
    sim.accessibility.setReduceMotion(false);
    EXPECT_NE(L().actionLayer->animation("wobble"), nullptr) << "the refresh runs on a later turn";
    sim.loop.runPending();
    EXPECT_EQ(L().actionLayer->animation("wobble"), nullptr);
    EXPECT_NE(L().leftEye->animation("glint"), nullptr) << "only the containers' own animations go";
    EXPECT_TRUE(L().attentionLayer->transform().isIdentity());
    EXPECT_EQ(L().homePoseLayer->transform().ty, 1.2) << "the pose is rebuilt";
    EXPECT_EQ(L().faceLayoutLayer->transform(), anim::Transform::translation(0, 1)) << "the face offset is put back";
}
