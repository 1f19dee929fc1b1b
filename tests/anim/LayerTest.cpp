#include <gtest/gtest.h>

#include <functional>
#include <numbers>

#include "anim/Layer.h"
#include "anim/ShapeLayer.h"
#include "anim/Transaction.h"
#include "platform/sim/SimPlatform.h"

using namespace anim;

namespace {

constexpr double pi = std::numbers::pi;

void expectNear(Point a, Point b) {
    EXPECT_NEAR(a.x, b.x, 1e-9);
    EXPECT_NEAR(a.y, b.y, 1e-9);
}

struct LayerTest : ::testing::Test {
    platform::sim::SimPlatform sim;
    double now() { return sim.loop.mediaTime(); }
};

}  // namespace

TEST(Transform, posesTranslateThenRotateThenScale) {
    // A point is scaled first, then rotated, then moved.
    expectNear(Transform::pose(10, 0, pi / 2, 2, 1).apply({1, 0}), {10, 2});
    expectNear(Transform::pose(0, 5, 0, 1, 3).apply({1, 1}), {1, 8});
    Affine a = Transform::pose(3, 4, 0.7, 1.5, 0.5).affine();
    expectNear(a.then(a.inverted()).apply({2, -7}), {2, -7});
}

TEST_F(LayerTest, geometryPlacesTheAnchorAtThePositionAndTurnsAboutIt) {
    auto layer = Layer::make();
    layer->setFrame({10, 20, 52, 52});
    expectNear(layer->position(), {36, 46});
    EXPECT_EQ(layer->bounds(), (Rect{0, 0, 52, 52}));
    EXPECT_EQ(layer->frame(), (Rect{10, 20, 52, 52}));
    layer->setTransform(Transform::rotationZ(pi));
    Affine toParent = layer->model().toSuperlayer();
    expectNear(toParent.apply({0, 0}), {62, 72});
    expectNear(toParent.apply({26, 26}), {36, 46});
    layer->setAnchorPoint({0, 0});
    expectNear(layer->model().toSuperlayer().apply({1, 0}), {35, 46});
}

TEST_F(LayerTest, animationsComposeInTheOrderTheyWereAdded) {
    auto layer = Layer::make();
    layer->setTransform(Transform::translation(5, 5));
    auto whole =
        Animation::keyframes("transform", {Transform::pose(1, 2, 0.1, 2, 2), Transform::pose(1, 2, 0.1, 2, 2)}, 1);
    auto scaleX = Animation::keyframes("transform.scale.x", {3.0, 3.0}, 1);
    auto nudgeY = Animation::keyframes("transform.translation.y", {10.0, 10.0}, 1).setAdditive(true);

    layer->addAnimation(whole, "whole");
    layer->addAnimation(scaleX, "scaleX");
    EXPECT_EQ(layer->presentation(now() + 0.5).transform, Transform::pose(1, 2, 0.1, 3, 2))
        << "a sub-path replaces only its component";

    layer->addAnimation(nudgeY, "nudge");
    EXPECT_EQ(layer->presentation(now() + 0.5).transform, Transform::pose(1, 12, 0.1, 3, 2)) << "additive adds";

    layer->removeAnimation("whole");
    layer->addAnimation(whole, "whole");
    EXPECT_EQ(layer->presentation(now() + 0.5).transform, Transform::pose(1, 2, 0.1, 2, 2))
        << "re-added last, the whole transform covers what came before";
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"scaleX", "nudge", "whole"}));
    EXPECT_EQ(layer->model().transform, Transform::translation(5, 5)) << "the model is untouched";

    auto grow = Animation::keyframes("transform.scale", {2.0, 2.0}, 1).setAdditive(true);
    auto plain = Layer::make();
    plain->setTransform(Transform::scale(1.5, 0.5));
    plain->addAnimation(grow, "grow");
    EXPECT_EQ(plain->presentation(now() + 0.5).transform, Transform::scale(3, 1)) << "additive scales multiply";
}

TEST_F(LayerTest, addingUnderAKeyReplacesAndRemovingTouchesOnlyThatLayer) {
    auto parent = Layer::make(), child = Layer::make(), sibling = Layer::make();
    parent->addSublayer(child);
    parent->addSublayer(sibling);
    for (auto& l : {parent, child, sibling}) l->addAnimation(Animation::basic("opacity", 0.2, 0.2, 1), "fade");
    child->addAnimation(Animation::basic("opacity", 0.7, 0.7, 1), "fade");
    EXPECT_EQ(child->animationKeys().size(), 1u);
    EXPECT_DOUBLE_EQ(child->presentation(now() + 0.5).opacity, 0.7);

    child->removeAnimation("fade");
    EXPECT_EQ(child->animation("fade"), nullptr);
    EXPECT_NE(sibling->animation("fade"), nullptr);
    parent->removeAllAnimations();
    EXPECT_TRUE(parent->animationKeys().empty());
    EXPECT_NE(sibling->animation("fade"), nullptr) << "sublayers keep theirs";

    auto noPath = Animation::basic("contents.flavour", 0.0, 1.0, 1);
    sibling->addAnimation(noPath, "odd");
    EXPECT_EQ(sibling->animation("odd"), nullptr) << "an unknown key path is not added";
}

TEST_F(LayerTest, completionRunsOnTheMainLoopAndSaysWhetherItFinished) {
    auto layer = Layer::make();
    std::vector<std::string> heard;
    auto tracked = [&](std::string name) {
        return Animation::basic("opacity", 0.0, 1.0, 0.5).setCompletion([&heard, name](bool finished) {
            heard.push_back(name + (finished ? " finished" : " stopped"));
        });
    };
    layer->addAnimation(tracked("a"), "a");
    layer->addAnimation(tracked("b"), "b");
    layer->addAnimation(tracked("b2"), "b");
    layer->presentation(now() + 1);
    EXPECT_TRUE(heard.empty()) << "nothing is called synchronously";
    sim.loop.runPending();
    EXPECT_EQ(heard, (std::vector<std::string>{"b stopped"}));
    sim.loop.advance(0.6);
    EXPECT_EQ(heard, (std::vector<std::string>{"b stopped", "a finished", "b2 finished"}));
    EXPECT_TRUE(layer->animationKeys().empty());
}

TEST_F(LayerTest, changesReachTheHandlerOfTheTopmostLayer) {
    auto root = Layer::make();
    auto shape = ShapeLayer::make();
    int changes = 0;
    root->setChangeHandler([&] { ++changes; });
    root->addSublayer(shape);
    EXPECT_EQ(changes, 1);
    uint64_t version = shape->contentVersion();
    shape->setPath(Path::ellipse({0, 0, 4, 4}));
    EXPECT_EQ(changes, 2);
    EXPECT_NE(shape->contentVersion(), version);
    shape->setPath(Path::ellipse({0, 0, 4, 4}));
    shape->setFillColor(Color::black());
    EXPECT_EQ(changes, 2) << "setting the same value is no change";
    shape->addAnimation(Animation::basic("opacity", 0.0, 1.0, 1), "fade");
    EXPECT_EQ(changes, 3);
    shape->removeFromSuperlayer();
    EXPECT_EQ(changes, 4);
    shape->setFillColor(Color::white(1));
    EXPECT_EQ(changes, 4);
}

TEST_F(LayerTest, revisionsAndTimeDependenceTellWhenASubtreeCanBeKept) {
    auto root = Layer::make(), body = Layer::make();
    auto dot = ShapeLayer::make();
    root->addSublayer(body);
    body->addSublayer(dot);
    uint64_t before = body->subtreeRevision();
    EXPECT_FALSE(body->dependsOnTime());
    Transaction::withoutActions([&] { dot->setFillColor(Color::white(0.5)); });
    EXPECT_NE(body->subtreeRevision(), before) << "a change deep down reaches every ancestor";
    EXPECT_NE(root->subtreeRevision(), before);

    dot->addAnimation(Animation::keyframes("transform.translation", {Size{1, 2}, Size{3, 4}}, 1), "slap");
    EXPECT_TRUE(body->dependsOnTime());
    EXPECT_EQ(dot->presentation(now() + 0.5).transform, Transform::translation(2, 3))
        << "a translation given as sizes is taken as points";
    sim.loop.advance(2);
    EXPECT_TRUE(dot->animationKeys().empty());
    EXPECT_TRUE(body->dependsOnTime()) << "until the finished animation is really gone";
    dot->removeAllAnimations();
    EXPECT_FALSE(body->dependsOnTime());
}

TEST_F(LayerTest, implicitChangesAnimateFromWhatIsOnScreen) {
    auto root = Layer::make(), layer = Layer::make();
    root->addSublayer(layer);
    double t0 = now();

    layer->setOpacity(0);
    EXPECT_EQ(layer->opacity(), 0) << "the model changes at once";
    ASSERT_NE(layer->animation("opacity"), nullptr);
    EXPECT_NEAR(layer->presentation(t0 + 0.125).opacity, 1 - 0.802403, 1e-5) << "0.25 s on the default curve";
    EXPECT_DOUBLE_EQ(layer->presentation(t0 + 0.25).opacity, 0);

    sim.loop.advance(0.125);
    layer->setOpacity(1);
    EXPECT_NEAR(layer->presentation(now()).opacity, 1 - 0.802403, 1e-5) << "a second change starts where the first is";
    EXPECT_DOUBLE_EQ(layer->presentation(now() + 0.25).opacity, 1);

    root->setOpacity(0.3);
    EXPECT_EQ(root->animation("opacity"), nullptr) << "the root layer changes at once";
}

TEST_F(LayerTest, transactionsSetDurationOrDisableActionsAndNest) {
    auto root = Layer::make();
    auto layer = ShapeLayer::make();
    root->addSublayer(layer);
    double t0 = now();

    Transaction::withoutActions([&] { layer->setTransform(Transform::translation(4, 0)); });
    EXPECT_EQ(layer->animation("transform"), nullptr);
    EXPECT_EQ(layer->presentation(t0).transform, Transform::translation(4, 0));

    layer->setPosition({10, 0});
    ASSERT_NE(layer->animation("position"), nullptr);
    Transaction::animate(0, [&] { layer->setPosition({20, 0}); });
    EXPECT_EQ(layer->animation("position"), nullptr) << "a zero-length change also ends a running implicit one";
    EXPECT_EQ(layer->presentation(t0 + 0.01).position, (Point{20, 0}));

    Transaction::begin();
    Transaction::setAnimationDuration(1.0);
    Transaction::setAnimationTimingFunction(TimingFunction::linear());
    layer->setOpacity(0);
    Transaction::withoutActions([&] { layer->setBounds({0, 0, 8, 8}); });
    Transaction::begin();
    layer->setTransform(Transform::scale(2));
    Transaction::commit();
    layer->setPath(Path::rect({0, 0, 1, 1}));
    Transaction::commit();
    EXPECT_EQ(Transaction::depth(), 0);

    EXPECT_DOUBLE_EQ(layer->presentation(t0 + 0.5).opacity, 0.5);
    EXPECT_EQ(layer->animation("bounds"), nullptr);
    EXPECT_DOUBLE_EQ(layer->presentation(t0 + 0.5).transform.sx, 1.5) << "the inner transaction inherits 1 s";
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"opacity", "transform"})) << "paths switch at once";

    Transaction::setAnimationDuration(5);
    EXPECT_DOUBLE_EQ(Transaction::animationDuration(), Animation::defaultDuration)
        << "outside a transaction setters change nothing";
}

TEST_F(LayerTest, aPresentationAskedForAgainShowsEveryChangeMadeSinceAtTheSameTime) {
    // A frame asks for the same time several times over; each change in between must show.
    struct Case {
        const char* change;
        std::function<void(Layer&)> apply;
        std::function<bool(const LayerState&)> shows;
    };
    const Case cases[] = {
        {"a model value", [](Layer& l) { l.setOpacity(0.25); },
         [](const LayerState& s) { return s.opacity == 0.25; }},
        {"another animation", [](Layer& l) { l.addAnimation(Animation::keyframes("position.x", {70.0, 70.0}, 5), "x"); },
         [](const LayerState& s) { return s.position.x == 70; }},
        {"an animation removed", [](Layer& l) { l.removeAnimation("drift"); },
         [](const LayerState& s) { return s.position.y == 0; }},
        {"hidden", [](Layer& l) { l.setHidden(true); }, [](const LayerState& s) { return s.hidden; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        auto parent = Layer::make();
        auto layer = Layer::make();
        parent->addSublayer(layer);
        Transaction::withoutActions([&] { layer->setPosition({0, 0}); });
        layer->addAnimation(Animation::keyframes("position.y", {0.0, 40.0}, 4), "drift");
        const double t = now() + 1;
        EXPECT_NEAR(layer->presentation(t).position.y, 10, 1e-9);
        const LayerState& before = layer->presented(t);
        EXPECT_FALSE(c.shows(before));
        Transaction::withoutActions([&] { c.apply(*layer); });
        EXPECT_TRUE(c.shows(layer->presentation(t)));
        EXPECT_TRUE(c.shows(layer->presented(t)));
    }
}
