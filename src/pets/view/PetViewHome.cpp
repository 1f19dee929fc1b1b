#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "anim/Transaction.h"
#include "pets/view/PetView.h"

namespace pets {
namespace {

using anim::Path;
using anim::Transform;
using model::HomeEdge;
using model::PetHomeKind;
using platform::Point;

constexpr double pi = std::numbers::pi;

// One grip paw: a dark capsule 3.7 points thick lying from the stroke's first point to its third.
Path gripPath(const model::GripStroke& stroke) {
    Point p = stroke[0], q = stroke[2];
    double length = std::max(0.001, std::hypot(q.x - p.x, q.y - p.y));
    double angle = std::atan2(q.y - p.y, q.x - p.x);
    Path capsule = Path::ellipse({-length / 2, -1.85, length, 3.7});
    return capsule.transformed(
        anim::Affine::rotation(angle).then(anim::Affine::translation((p.x + q.x) / 2, (p.y + q.y) / 2)));
}

}  // namespace

model::HomeContactPose PetView::currentPose() const {
    if (!isHomeAttached_) return model::HomeContactPose::neutral();
    return model::HomeContactEngine::pose(homeKind_, homeEdge_, activity_);
}

Point PetView::faceOffset() const {
    if (!isHomeAttached_) return {};
    return model::HomeAttachmentLayout::faceOffset(homeKind_, homeEdge_);
}

double PetView::pawRotation() const {
    // The free paws turn toward the boundary the pet clings to.
    if (homeKind_ == PetHomeKind::notch) return pi;
    switch (homeEdge_) {
        case HomeEdge::top:
            return pi;
        case HomeEdge::bottom:
            return 0;
        case HomeEdge::left:
            return -pi / 2;
        case HomeEdge::right:
            return pi / 2;
    }
    return 0;
}

void PetView::applyFaceOffset() {
    Point offset = faceOffset();
    layers_.faceLayoutLayer->setAffineTransform(Transform::translation(offset.x, offset.y));
}

void PetView::configureHome(const PetHome& home) {
    homeKind_ = home.kind;
    homeEdge_ = home.edge;
    homeBoundaryOffset_ = home.boundaryOffset;
    if (!bounds().isEmpty()) {
        updateGripPaws();
        layers_.shadowLayer->setOpacity(isHomeAttached_ ? 0 : 1);
    }
    updateAccessoryPath();
    // A new home is taken at once, paws included.
    anim::Transaction::animate(0, [&] {
        applyFaceOffset();
        if (isHomeAttached_) layers_.pawLayer->setAffineTransform(Transform::rotationZ(pawRotation()));
    });
    applyHomePose(false);
    applyActivity();
}

void PetView::setHomeAttached(bool attached, bool animated) {
    if (!attached) {
        // Letting go always forgets a manual perch, even when the pet was not clinging.
        manualPerchEdge_.reset();
        manualHiddenTravelDistance_ = 0;
        if (!isHomeAttached_) return;
        isHomeAttached_ = false;
        isGrippingHome_ = false;
        anim::Transaction::animate(0, [&] { updateFreePaws(); });
        updateAccessoryPath();
    } else {
        if (isHomeAttached_) return;
        isHomeAttached_ = true;
        updateAccessoryPath();
    }
    double duration = animated && !reduceMotion() ? 0.24 : 0;
    anim::Transaction::animate(duration, [&] {
        layers_.shadowLayer->setOpacity(attached ? 0 : 1);
        layers_.pawLayer->setAffineTransform(attached ? Transform::rotationZ(pawRotation()) : Transform::identity());
    });
    updateAttachedFaceLayout(animated);
    updateGripPaws();
    updateFreePaws();
    if (onHomeAttachmentChanged) onHomeAttachmentChanged();
}

void PetView::applyHomePose(bool animated) {
    model::HomeContactPose pose = currentPose();
    // Translate, then rotate, then scale, about the pet's centre (the layer is framed to the bounds).
    Transform transform = Transform::pose(pose.offsetX, pose.offsetY, pose.rotation, pose.scaleX, pose.scaleY);
    double duration = animated && !reduceMotion() ? 0.32 : 0;
    anim::Transaction::animate(duration, [&] { layers_.homePoseLayer->setTransform(transform); });
}

void PetView::updateGripPaws() {
    auto strokes =
        model::HomeAttachmentLayout::gripStrokes(homeEdge_, homeBoundaryOffset_, bounds().size, currentPose());
    layers_.leftGripOutline->setPath(gripPath(strokes[0]));
    layers_.rightGripOutline->setPath(gripPath(strokes[1]));
}

void PetView::updateFreePaws() {
    auto visibility = model::PetPawVisibility::resolve(isHomeAttached_, isGrippingHome_, isTravelling_, activity_);
    layers_.leftPaw->setOpacity(visibility.showsFreePaws ? 1 : 0);
    layers_.rightPaw->setOpacity(visibility.showsFreePaws ? 1 : 0);
    layers_.gripLayer->setOpacity(visibility.showsGripPaws ? 1 : 0);
}

void PetView::setManualEdgePerch(HomeEdge edge, double boundaryOffset, double hiddenTravelDistance) {
    manualPerchEdge_ = edge;
    manualHiddenTravelDistance_ = hiddenTravelDistance;
    homeKind_ = PetHomeKind::screenEdge;
    homeEdge_ = edge;
    homeBoundaryOffset_ = boundaryOffset;
    updateGripPaws();
    setHomeAttached(true, true);
    updateAccessoryPath();
    anim::Transaction::animate(0, [&] { applyFaceOffset(); });
    applyHomePose(false);
    isGrippingHome_ = isHomeAttached_;
    anim::Transaction::animate(reduceMotion() ? 0 : 0.18, [&] { updateFreePaws(); });
    setActivity(model::PetActivity::perched);
    playHomePeek();
}

void PetView::updateAttachedFaceLayout(bool animated) {
    double duration = animated && !reduceMotion() ? 0.2 : 0;
    anim::Transaction::animate(duration, [&] { applyFaceOffset(); });
}

void PetView::configureEye(anim::ShapeLayer& eye, anim::ShapeLayer& pupil, Point center) {
    // The calmer pet has slightly flatter eyes.
    double height = profile_.energetic ? 8.8 : 8.1;
    eye.setPath(Path::ellipse({center.x - 3.5, center.y - height / 2, 7, height}));
    pupil.setPath(Path::ellipse({center.x - 1.55, center.y - 1.55, 3.1, 3.1}));
}

void PetView::setAccessory(model::PetAccessory accessory) {
    if (accessory == accessory_) return;
    accessory_ = accessory;
    updateAccessoryPath();
}

void PetView::updateAccessoryPath() {
    const platform::Rect b = bounds();
    if (b.isEmpty()) return;
    const double w = b.width(), h = b.height();
    auto& layer = *layers_.accessoryLayer;
    auto fill = [](const model::PetSkinColor& c) { return anim::Color::rgb(c.red, c.green, c.blue); };
    switch (accessory_) {
        case model::PetAccessory::none:
            layer.setPath({});
            break;
        case model::PetAccessory::starPin: {
            // Five points, the first straight below the centre.
            const Point center{0.73 * w, 0.69 * h};
            std::vector<Point> vertices;
            for (int k = 0; k < 10; ++k) {
                double angle = (-90.0 + 36.0 * k) * pi / 180;
                double radius = k % 2 == 0 ? 5.2 : 2.4;
                vertices.push_back({center.x + radius * std::cos(angle), center.y + radius * std::sin(angle)});
            }
            layer.setPath(Path::polygon(vertices));
            layer.setFillColor(fill(skin_.starColor));
            break;
        }
        case model::PetAccessory::scarf: {
            Path scarf;
            const platform::Rect band{0.31 * w, 0.22 * h, 0.38 * w, 0.065 * h};
            scarf.addRoundedRect(band, band.height() / 2, band.height() / 2);
            const platform::Rect tail{0.65 * w, 0.16 * h, 0.075 * w, 0.14 * h};
            scarf.addRoundedRect(tail, tail.width() / 2, tail.width() / 2);
            layer.setPath(scarf);
            layer.setFillColor(fill(skin_.scarfColor));
            break;
        }
    }
}

}  // namespace pets
