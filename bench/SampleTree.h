#pragma once

// A layer tree shaped like one pet (about 40 layers: six nested containers, fur images, face,
// paws, scene props, text, an emitter) with the idle loops running, for the benchmarks and the
// idle-cost program.

#include <memory>
#include <numbers>

#include "anim/EmitterLayer.h"
#include "anim/ShapeLayer.h"
#include "anim/TextLayer.h"
#include "anim/Transaction.h"

namespace bench {

struct SampleTree {
    std::shared_ptr<anim::Layer> root;
    std::shared_ptr<anim::Layer> ambient;
    std::shared_ptr<anim::Layer> secondary;
    std::shared_ptr<anim::EmitterLayer> sparkles;
    int layerCount = 0;
};

inline int countLayers(const anim::Layer& l) {
    int n = 1;
    for (const auto& s : l.sublayers()) n += countLayers(*s);
    return n;
}

// The slow breathing loops of a resting pet.
inline void startBreathing(SampleTree& t) {
    using anim::Animation;
    using anim::Transform;
    t.ambient->addAnimation(
        Animation::keyframes(
            "transform", {Transform::identity(), Transform::pose(0, 0.65, 0, 0.992, 1.018), Transform::identity()}, 3.2)
            .setRepeatCount(Animation::infinity)
            .setTimingFunction(anim::TimingFunction::easeInEaseOut()),
        "ambient");
    t.secondary->addAnimation(
        Animation::keyframes("transform",
                             {Transform::pose(0, 0, -0.012, 1, 1), Transform::pose(0, 0.45, 0.012, 1, 1),
                              Transform::pose(0, 0, -0.012, 1, 1)},
                             2.75)
            .setRepeatCount(Animation::infinity)
            .setTimingFunction(anim::TimingFunction::easeInEaseOut()),
        "secondaryMotion");
}

inline SampleTree makeSampleTree() {
    using namespace anim;
    SampleTree t;
    Transaction::withoutActions([&] {
        const Rect bounds{0, 0, 52, 52};
        auto container = [&](const std::shared_ptr<Layer>& parent) {
            auto l = Layer::make();
            l->setFrame(bounds);
            parent->addSublayer(l);
            return l;
        };
        auto shape = [](const std::shared_ptr<Layer>& parent, Path path, Color fill) {
            auto s = ShapeLayer::make();
            s->setPath(std::move(path));
            s->setFillColor(fill);
            parent->addSublayer(s);
            return s;
        };
        t.root = Layer::make();
        t.root->setFrame(bounds);
        auto shadow = shape(t.root, Path::ellipse({10, 2.5, 32, 5.5}), Color::black().withAlpha(0.24));
        shadow->setFrame(bounds);
        shadow->setShadowOpacity(0.25);
        shadow->setShadowRadius(2.5);
        shadow->setShadowOffset({0, -1});

        auto homePose = container(t.root);
        t.ambient = container(homePose);
        auto action = container(t.ambient);
        auto attention = container(action);
        auto interaction = container(attention);
        t.secondary = container(interaction);

        auto fur = Image::fromDrawing({52, 52}, {{Path::ellipse({1, 1, 50, 50}), Color::white(0.06)},
                                                 {Path::ellipse({8, 20, 14, 14}), Color::white(0.12)}});
        auto furEcho = container(t.secondary);
        furEcho->setFrame(bounds.insetBy(0.5, 0.5));
        furEcho->setContents(fur);
        furEcho->setContentsGravity(ContentsGravity::resizeAspect);
        furEcho->setOpacity(0.16);
        furEcho->setCompositingFilter("screenBlendMode");
        auto furLayer = container(t.secondary);
        furLayer->setFrame(bounds.insetBy(1.5, 1.5));
        furLayer->setContents(fur);
        furLayer->setContentsGravity(ContentsGravity::resizeAspect);
        furLayer->setMinificationFilter(ScalingFilter::trilinear);

        shape(t.secondary, Path::roundedRect({16, 11, 20, 3.4}, 1.7, 1.7), Color::rgb(0.49, 0.76, 0.72));
        auto faceLayout = container(t.secondary);
        auto face = container(faceLayout);
        for (double cx : {20.2, 31.8}) {
            shape(face, Path::ellipse({cx - 3.5, 29 - 4.4, 7, 8.8}), Color::rgb(0.99, 0.96, 0.87));
            shape(face, Path::ellipse({cx - 1.55, 29 - 1.55, 3.1, 3.1}), Color::white(0.01));
        }
        auto paws = container(t.secondary);
        shape(paws, Path::ellipse({12.5, 5.5, 7.5, 4.2}), Color::white(0.05, 0.96));
        shape(paws, Path::ellipse({32, 5.5, 7.5, 4.2}), Color::white(0.05, 0.96));
        auto scene = container(t.secondary);
        for (int i = 0; i < 8; ++i)
            shape(scene, Path::ellipse({4.0 + 5 * i, 14, 4, 4}), Color::rgb(0.96, 0.72, 0.39))
                ->setOpacity(i < 2 ? 1 : 0);
        for (Rect tear : {Rect{16.5, 14, 3.2, 6}, Rect{33, 14, 3.2, 6}, Rect{13, 5, 6, 2}, Rect{5, 5, 8, 4}})
            shape(scene, Path::ellipse(tear), Color::rgb(0.47, 0.77, 0.96))->setOpacity(0);
        auto sign = shape(scene, Path::roundedRect({7, 34, 38, 18}, 4, 4), Color::rgb(0.99, 0.93, 0.75));
        sign->setOpacity(0);
        for (const char* text : {"128", "today"}) {
            auto label = TextLayer::make();
            label->setFrame({9, 34.2, 34, 11});
            label->setString(text);
            label->setFontSize(9);
            label->setOpacity(0);
            scene->addSublayer(label);
        }
        auto grip = container(t.secondary);
        grip->setOpacity(0);
        shape(grip, Path::ellipse({8, 0, 10, 3.7}), Color::white(0.035));
        shape(grip, Path::ellipse({34, 0, 10, 3.7}), Color::white(0.035));

        t.sparkles = EmitterLayer::make();
        t.sparkles->setFrame(bounds);
        t.sparkles->setEmitterShape(EmitterShape::circle);
        t.sparkles->setEmitterSize({32, 32});
        t.sparkles->setEmitterPosition({26, 26});
        t.sparkles->setBirthRate(0);
        EmitterCell cell;
        cell.contents = Image::fromDrawing(
            {20, 20},
            {{Path::polygon({{10, 0}, {12.5, 7.5}, {20, 10}, {12.5, 12.5}, {10, 20}, {7.5, 12.5}, {0, 10}, {7.5, 7.5}}),
              Color::rgb(1, 0.76, 0.25)}});
        cell.birthRate = 10;
        cell.lifetime = 0.8;
        cell.velocity = 28;
        cell.velocityRange = 18;
        cell.emissionRange = 2 * std::numbers::pi;
        cell.scale = 0.13;
        cell.scaleRange = 0.06;
        cell.alphaSpeed = -1.1;
        t.sparkles->setEmitterCells({cell});
        t.root->addSublayer(t.sparkles);
    });
    t.layerCount = countLayers(*t.root);
    return t;
}

}  // namespace bench
