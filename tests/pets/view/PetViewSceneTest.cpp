#include <gtest/gtest.h>

#include "model/L10n.h"
#include "pets/view/PetViewTestSupport.h"

using namespace pets;
using namespace pets::testing;
using anim::Animation;
using anim::Transform;
using model::PetActivity;

namespace {

// The accent plays under its key the counted number of times (0: once).
void expectAccent(const anim::Layer* layer, const char* key, double repeats) {
    const Animation* a = layer->animation(key);
    ASSERT_NE(a, nullptr) << layer->name << " " << key;
    EXPECT_EQ(a->repeatCount, repeats) << layer->name << " " << key;
}

}  // namespace

TEST_F(PetViewTest, eachSceneAccentPlaysItsCountedKeys) {
    view->setActivity(PetActivity::eating);
    expectAccent(L().actionLayer.get(), "sceneAccent", 4);
    expectAccent(L().snackLayer.get(), "bite", 0);
    expectAccent(L().snackDetailLayer.get(), "bite", 0);
    // Chewing and biting end together, the snack back at full size and still shown.
    sim.loop.advance(2.21);
    EXPECT_TRUE(L().actionLayer->animationKeys().empty());
    EXPECT_TRUE(L().snackLayer->presentation(now()).transform.isIdentity());
    EXPECT_EQ(L().snackLayer->opacity(), 1);

    view->setActivity(PetActivity::laughing);
    expectAccent(L().actionLayer.get(), "sceneAccent", 3);
    expectAccent(L().shadowLayer.get(), "weightPulse", 0);
    EXPECT_EQ(L().snackLayer->animation("bite"), nullptr);

    const double start = now();
    view->setActivity(PetActivity::crying);
    expectAccent(L().leftTearLayer.get(), "tear", 3);
    expectAccent(L().rightTearLayer.get(), "tear", 3);
    expectAccent(L().actionLayer.get(), "crySob", 4);
    expectAccent(L().tearSplashLayer.get(), "tearSplash", 3);
    EXPECT_NEAR(L().leftTearLayer->animation("tear")->beginTime, start, 1e-9);
    EXPECT_NEAR(L().rightTearLayer->animation("tear")->beginTime, start + 0.24, 1e-9) << "the right tear falls later";
    EXPECT_NE(L().actionLayer->animation("sceneAccent"), nullptr) << "the laugh's bounce plays out";
    // The splash flashes as the left tear lands.
    EXPECT_NEAR(L().tearSplashLayer->presentation(start + 0.82 * 1.05).opacity, 0.75, 1e-9);
    EXPECT_EQ(L().tearSplashLayer->presentation(start + 0.5).opacity, 0);
    sim.loop.advance(3.2);
    EXPECT_EQ(L().leftTearLayer->animation("tear"), nullptr);
    EXPECT_NE(L().rightTearLayer->animation("tear"), nullptr) << "0.24 s behind";
    sim.loop.advance(0.2);
    EXPECT_EQ(L().rightTearLayer->animation("tear"), nullptr);

    view->setActivity(PetActivity::showingCount);
    for (const anim::Layer* layer : std::vector<const anim::Layer*>{
             L().signLayer.get(), L().signTextLayer.get(), L().signCaptionLayer.get(), L().signHandsLayer.get()}) {
        expectAccent(layer, "raiseSign", 0);
    }
    // The text pivots about its own centre, the board about the view's corner.
    const auto text = L().signTextLayer->presentation(now()).toSuperlayer();
    EXPECT_NEAR(text.apply({17, 5.5}).x, 26, 1e-9);
    EXPECT_NEAR(text.apply({17, 5.5}).y, 39.7 - 11, 1e-9);
    const auto board = L().signLayer->presentation(now()).toSuperlayer();
    EXPECT_NEAR(board.apply({26, 43}).x, 26 * 0.2, 1e-9);
}

TEST_F(PetViewTest, leavingCryingStopsTheSplashWithTheTears) {
    view->setActivity(PetActivity::crying);
    view->setActivity(PetActivity::idle);
    EXPECT_EQ(L().leftTearLayer->animation("tear"), nullptr);
    EXPECT_EQ(L().tearSplashLayer->animation("tearSplash"), nullptr) << "no splash under a pet that no longer cries";
    EXPECT_NE(L().actionLayer->animation("crySob"), nullptr) << "the sob plays out its cycles";

    view->setActivity(PetActivity::crying);
    view->setActivity(PetActivity::eating);
    EXPECT_EQ(L().tearSplashLayer->animation("tearSplash"), nullptr) << "nor under one that eats";
    EXPECT_EQ(L().tearSplashLayer->presentation(now() + 0.9).opacity, 0);
}

TEST_F(PetViewTest, underReduceMotionPropsChangeButNoAccentPlays) {
    sim.accessibility.setReduceMotion(true);
    view->setActivity(PetActivity::laughing);
    EXPECT_EQ(L().mouthLayer->opacity(), 1);
    EXPECT_NEAR(L().mouthLayer->pathBounds().width(), 10, 1e-9);
    view->showCount(4321);
    EXPECT_EQ(L().signTextLayer->string(), "4321");
    EXPECT_EQ(L().signLayer->opacity(), 1);
    // Props may fade as the caller's transaction says; nothing else moves them.
    for (const auto& prop : L().sceneLayer->sublayers())
        for (const auto& key : prop->animationKeys()) EXPECT_EQ(key, "opacity") << prop->name;
    EXPECT_TRUE(L().actionLayer->animationKeys().empty());
}

TEST_F(PetViewTest, theCountSignShowsTheNumberInTheInterfaceLanguage) {
    EXPECT_EQ(L().signTextLayer->string(), "128");
    EXPECT_FALSE(view->displayedCount().has_value());

    model::L10n::setAppLanguageChoice(model::AppLanguageChoice::english);
    view->showCount(12345);
    EXPECT_EQ(view->displayedCount(), 12345);
    EXPECT_EQ(L().signTextLayer->string(), "12.3K");
    EXPECT_EQ(view->activity(), PetActivity::showingCount);
    EXPECT_NE(L().signLayer->animation("raiseSign"), nullptr) << "switching to the sign raises it";

    model::L10n::setAppLanguageChoice(model::AppLanguageChoice::simplifiedChinese);
    sim.notifications.post(model::L10n::tuftleLanguageDidChange);
    sim.loop.runPending();
    EXPECT_EQ(L().signTextLayer->string(), "1.2万");
    EXPECT_EQ(L().signCaptionLayer->string(), "今日按键");

    // Shown again while shown: the sign goes up again with the new number.
    settle();
    ASSERT_EQ(L().signLayer->animation("raiseSign"), nullptr);
    view->showCount(2500000);
    EXPECT_EQ(L().signTextLayer->string(), "250万");
    EXPECT_NE(L().signLayer->animation("raiseSign"), nullptr);
    model::L10n::setAppLanguageChoice(model::AppLanguageChoice::english);
    view->showCount(-3);
    EXPECT_EQ(L().signTextLayer->string(), "0");
    EXPECT_EQ(view->displayedCount(), -3);
    model::L10n::setAppLanguageChoice(std::nullopt);
}
