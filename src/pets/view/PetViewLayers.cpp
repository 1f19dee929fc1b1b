#include <numbers>
#include <utility>
#include <vector>

#include "anim/Transaction.h"
#include "platform/program/ResourceBundle.h"
#include "model/L10n.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using anim::Color;
using anim::Path;
using platform::Point;
using platform::Rect;

std::optional<std::filesystem::path>& furBundleOverride() {
    static std::optional<std::filesystem::path> root;
    return root;
}

Color color(const model::PetSkinColor& c) {
    return Color::rgb(c.red, c.green, c.blue);
}

Path ellipses(std::initializer_list<Rect> rects) {
    Path p;
    for (const Rect& r : rects) p.addEllipse(r);
    return p;
}

// `r` shrunk by `d` on every side; an empty rectangle at its centre when it is too small.
Rect inset(const Rect& r, double d) {
    double w = std::max(0.0, r.width() - 2 * d), h = std::max(0.0, r.height() - 2 * d);
    return {r.midX() - w / 2, r.midY() - h / 2, w, h};
}

void setContentsScaleOfTree(anim::Layer& layer, double scale) {
    layer.setContentsScale(scale);
    for (const auto& sub : layer.sublayers()) setContentsScaleOfTree(*sub, scale);
}

}  // namespace

void PetView::setFurBundleRootForTesting(std::optional<std::filesystem::path> root) {
    furBundleOverride() = std::move(root);
}

std::shared_ptr<const anim::Image> PetView::loadFurImage(const std::filesystem::path& bundleRoot,
                                                         const model::PetSkinManifest& skin) {
    // Only the bundle: an image is never decoded from wherever the program was started.
    auto file = platform::ResourceBundle(bundleRoot).path("Assets/" + skin.furResource + ".png");
    if (!file) return nullptr;
    // Drawn at 2x for the 52-point square.
    return anim::Image::fromPNGFile(file->string(), 2);
}

std::shared_ptr<const anim::Image> PetView::loadFurCGImage() const {
    const auto& root = furBundleOverride() ? *furBundleOverride() : platform::ResourceBundle::module().root();
    return loadFurImage(root, skin_);
}

std::shared_ptr<const anim::Image> PetView::sparkleImage() {
    // A four-pointed star in a 20-point square.
    static const auto image = anim::Image::fromDrawing(
        {20, 20},
        {{Path::polygon({{10, 0}, {12.5, 7.5}, {20, 10}, {12.5, 12.5}, {10, 20}, {7.5, 12.5}, {0, 10}, {7.5, 7.5}}),
          Color::rgb(1.0, 0.76, 0.25)}},
        2);
    return image;
}

void PetView::buildLayers() {
    auto& L = layers_;
    const std::pair<anim::Layer*, const char*> names[] = {
        {L.root.get(), "petView"},
        {L.shadowLayer.get(), "shadowLayer"},
        {L.homePoseLayer.get(), "homePoseLayer"},
        {L.ambientLayer.get(), "ambientLayer"},
        {L.actionLayer.get(), "actionLayer"},
        {L.attentionLayer.get(), "attentionLayer"},
        {L.interactionLayer.get(), "interactionLayer"},
        {L.secondaryLayer.get(), "secondaryLayer"},
        {L.furEchoLayer.get(), "furEchoLayer"},
        {L.furLayer.get(), "furLayer"},
        {L.accessoryLayer.get(), "accessoryLayer"},
        {L.faceLayoutLayer.get(), "faceLayoutLayer"},
        {L.faceLayer.get(), "faceLayer"},
        {L.pawLayer.get(), "pawLayer"},
        {L.gripLayer.get(), "gripLayer"},
        {L.leftGripOutline.get(), "leftGripOutline"},
        {L.rightGripOutline.get(), "rightGripOutline"},
        {L.leftEye.get(), "leftEye"},
        {L.rightEye.get(), "rightEye"},
        {L.leftPupil.get(), "leftPupil"},
        {L.rightPupil.get(), "rightPupil"},
        {L.leftPaw.get(), "leftPaw"},
        {L.rightPaw.get(), "rightPaw"},
        {L.sparkleLayer.get(), "sparkleLayer"},
        {L.sceneLayer.get(), "sceneLayer"},
        {L.snackLayer.get(), "snackLayer"},
        {L.snackDetailLayer.get(), "snackDetailLayer"},
        {L.mouthLayer.get(), "mouthLayer"},
        {L.leftTearLayer.get(), "leftTearLayer"},
        {L.rightTearLayer.get(), "rightTearLayer"},
        {L.tearSplashLayer.get(), "tearSplashLayer"},
        {L.highFiveLayer.get(), "highFiveLayer"},
        {L.signLayer.get(), "signLayer"},
        {L.signTextLayer.get(), "signTextLayer"},
        {L.signCaptionLayer.get(), "signCaptionLayer"},
        {L.signHandsLayer.get(), "signHandsLayer"},
        {L.effortLayer.get(), "effortLayer"},
    };
    for (auto [layer, name] : names) layer->name = name;

    anim::Transaction::withoutActions([&] {
        // Tree, bottom to top within each parent.
        L.root->addSublayer(L.shadowLayer);
        L.root->addSublayer(L.homePoseLayer);
        L.homePoseLayer->addSublayer(L.ambientLayer);
        L.ambientLayer->addSublayer(L.actionLayer);
        L.actionLayer->addSublayer(L.attentionLayer);
        L.attentionLayer->addSublayer(L.interactionLayer);
        L.interactionLayer->addSublayer(L.secondaryLayer);
        for (const auto& part : std::initializer_list<std::shared_ptr<anim::Layer>>{
                 L.furEchoLayer, L.furLayer, L.accessoryLayer, L.faceLayoutLayer, L.pawLayer, L.sceneLayer,
                 L.gripLayer})
            L.secondaryLayer->addSublayer(part);
        L.faceLayoutLayer->addSublayer(L.faceLayer);
        for (const auto& eyePart : {L.leftEye, L.rightEye, L.leftPupil, L.rightPupil})
            L.faceLayer->addSublayer(eyePart);
        L.pawLayer->addSublayer(L.leftPaw);
        L.pawLayer->addSublayer(L.rightPaw);
        for (const auto& prop : std::initializer_list<std::shared_ptr<anim::Layer>>{
                 L.snackLayer, L.snackDetailLayer, L.mouthLayer, L.leftTearLayer, L.rightTearLayer, L.tearSplashLayer,
                 L.highFiveLayer, L.signLayer, L.signTextLayer, L.signCaptionLayer, L.signHandsLayer, L.effortLayer})
            L.sceneLayer->addSublayer(prop);
        L.gripLayer->addSublayer(L.leftGripOutline);
        L.gripLayer->addSublayer(L.rightGripOutline);
        L.root->addSublayer(L.sparkleLayer);

        // Looks.
        L.root->setBackgroundColor(Color::clear());
        L.root->setMasksToBounds(false);

        L.shadowLayer->setFillColor(Color::black().withAlpha(0.24));
        L.shadowLayer->setShadowColor(Color::black());
        L.shadowLayer->setShadowOpacity(0.25);
        L.shadowLayer->setShadowRadius(2.5);
        L.shadowLayer->setShadowOffset({0, -1});

        auto fur = loadFurCGImage();
        L.furLayer->setContents(fur);
        L.furLayer->setContentsGravity(anim::ContentsGravity::resizeAspect);
        L.furLayer->setMinificationFilter(anim::ScalingFilter::trilinear);
        L.furLayer->setMagnificationFilter(anim::ScalingFilter::linear);
        L.furEchoLayer->setContents(fur);
        L.furEchoLayer->setContentsGravity(anim::ContentsGravity::resizeAspect);
        L.furEchoLayer->setOpacity(0.16);
        L.furEchoLayer->setCompositingFilter("screenBlendMode");

        for (auto* eye : {L.leftEye.get(), L.rightEye.get()}) eye->setFillColor(color(skin_.eyeColor));
        for (auto* pupil : {L.leftPupil.get(), L.rightPupil.get()}) pupil->setFillColor(Color::white(0.01));
        for (auto* paw : {L.leftPaw.get(), L.rightPaw.get()}) paw->setFillColor(Color::white(0.05, 0.96));
        for (auto* grip : {L.leftGripOutline.get(), L.rightGripOutline.get()}) {
            grip->setFillColor(Color::white(0.035));
            grip->setStrokeColor(Color::white(1.0, 0.28));
            grip->setLineWidth(0.8);
        }
        L.gripLayer->setOpacity(0);

        L.snackLayer->setFillColor(Color::rgb(0.96, 0.72, 0.39));
        L.snackDetailLayer->setFillColor(Color::rgb(0.53, 0.32, 0.20));
        L.mouthLayer->setFillColor(Color::rgb(0.99, 0.94, 0.81));
        for (auto* tear : {L.leftTearLayer.get(), L.rightTearLayer.get(), L.tearSplashLayer.get()})
            tear->setFillColor(Color::rgb(0.47, 0.77, 0.96));
        L.highFiveLayer->setFillColor(Color::rgb(1.0, 0.82, 0.34));
        L.highFiveLayer->setStrokeColor(Color::white(1.0, 0.86));
        L.highFiveLayer->setLineWidth(0.7);
        L.highFiveLayer->setOpacity(0);
        L.signLayer->setFillColor(Color::rgb(0.99, 0.93, 0.75));
        L.signLayer->setStrokeColor(Color::rgb(0.26, 0.21, 0.18));
        L.signLayer->setLineWidth(1.1);
        const Color signInk = Color::rgb(0.17, 0.15, 0.14);
        L.signTextLayer->setMonospacedDigits(true);
        L.signTextLayer->setFontSize(9);
        L.signTextLayer->setFontWeight(anim::FontWeight::bold);
        L.signTextLayer->setAlignment(anim::TextAlignment::center);
        L.signTextLayer->setForegroundColor(signInk);
        L.signTextLayer->setString("128");
        L.signCaptionLayer->setFontSize(6);
        L.signCaptionLayer->setFontWeight(anim::FontWeight::semibold);
        L.signCaptionLayer->setAlignment(anim::TextAlignment::center);
        L.signCaptionLayer->setForegroundColor(signInk);
        L.signCaptionLayer->setString(model::L10n::t("今日按键"));
        L.signHandsLayer->setFillColor(Color::white(0.04));
        L.effortLayer->setFillColor(Color::white(0.15, 0.42));
        L.effortLayer->setOpacity(0);

        // Sparkles: off until a celebration turns them on.
        anim::EmitterCell sparkle;
        sparkle.contents = sparkleImage();
        sparkle.birthRate = 10;
        sparkle.lifetime = 0.8;
        sparkle.velocity = 28;
        sparkle.velocityRange = 18;
        sparkle.emissionRange = 2 * std::numbers::pi;
        sparkle.scale = 0.13;
        sparkle.scaleRange = 0.06;
        sparkle.alphaSpeed = -1.1;
        L.sparkleLayer->setEmitterShape(anim::EmitterShape::circle);
        L.sparkleLayer->setEmitterSize({32, 32});
        L.sparkleLayer->setEmitterCells({sparkle});
        L.sparkleLayer->setBirthRate(0);
    });

    // The tree is drawn at the scale of the screen the user works on.
    double scale = 2;
    if (auto* screens = platform::services().screens)
        if (auto main = screens->mainScreen(); main && main->backingScaleFactor > 0) scale = main->backingScaleFactor;
    setContentsScaleOfTree(*L.root, scale);
}

void PetView::layout() {
    auto& L = layers_;
    const Rect b = bounds();
    const double w = b.width(), h = b.height();
    // Geometry follows the bounds at once; only explicit animations move the pet.
    anim::Transaction::withoutActions([&] {
        // The view's own layer stands where its host put the view.
        L.root->setFrame(frame_);
        for (const auto& container : std::initializer_list<std::shared_ptr<anim::Layer>>{
                 L.shadowLayer, L.homePoseLayer, L.ambientLayer, L.actionLayer, L.attentionLayer, L.interactionLayer,
                 L.secondaryLayer})
            container->setFrame(b);
        L.furEchoLayer->setFrame(inset(b, 0.5));
        L.furLayer->setFrame(inset(b, 1.5));
        L.accessoryLayer->setFrame(b);
        updateAccessoryPath();
        for (const auto& holder : {L.faceLayoutLayer, L.faceLayer, L.pawLayer, L.gripLayer}) holder->setFrame(b);

        configureEye(*L.leftEye, *L.leftPupil, {0.388 * w, 0.558 * h});
        configureEye(*L.rightEye, *L.rightPupil, {0.612 * w, 0.558 * h});
        L.leftPaw->setPath(Path::ellipse({0.24 * w, 0.106 * h, 0.144 * w, 0.081 * h}));
        L.rightPaw->setPath(Path::ellipse({0.615 * w, 0.106 * h, 0.144 * w, 0.081 * h}));
        L.shadowLayer->setPath(Path::ellipse({10, 2.5, std::max(0.0, w - 20), 5.5}));

        L.sparkleLayer->setFrame(b);
        L.sparkleLayer->setEmitterPosition(b.center());

        // Scene props sit at fixed points of the 52-point square.
        L.sceneLayer->setFrame(b);
        L.snackLayer->setPath(Path::ellipse({30, 14, 9, 9}));
        L.snackDetailLayer->setPath(ellipses({{32, 18, 1.5, 1.5}, {35, 16, 1.2, 1.2}}));
        L.mouthLayer->setPath(Path::roundedRect({23, 14, 6, 3.2}, 1.6, 1.6));
        L.leftTearLayer->setPath(Path::ellipse({16.5, 14, 3.2, 6}));
        L.rightTearLayer->setPath(Path::ellipse({33, 14, 3.2, 6}));
        L.tearSplashLayer->setPath(ellipses({{13, 5, 6, 2}, {33, 5, 6, 2}}));
        L.signLayer->setPath(Path::roundedRect({7, 34, 38, 18}, 4, 4));
        L.signCaptionLayer->setFrame({9, 43.5, 34, 7});
        L.signTextLayer->setFrame({9, 34.2, 34, 11});
        L.signHandsLayer->setPath(ellipses({{9, 32, 6, 5}, {37, 32, 6, 5}}));
        L.effortLayer->setPath(ellipses({{5, 5, 8, 4}, {2, 9, 4, 3}, {12, 4, 3, 3}}));

        // Grip paths and the shadow wait for real bounds.
        if (!b.isEmpty()) {
            updateGripPaws();
            L.shadowLayer->setOpacity(isHomeAttached_ ? 0 : 1);
        }
    });
    anim::Transaction::animate(0, [&] { applyFaceOffset(); });
}

}  // namespace pets
