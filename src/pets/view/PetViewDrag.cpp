#include <algorithm>
#include <cmath>

#include "anim/Transaction.h"
#include "pets/view/PetView.h"

namespace pets {
namespace {

using anim::Animation;
using anim::TimingFunction;
using anim::Transform;
using platform::Point;
using platform::Vector;

// Faster pointer motion leans no further.
constexpr double maxDragSpeed = 720;
// A release closer than this to the press is a click, however far the pointer wandered.
constexpr double tapDistance = 5;

double sign(double v) {
    return v > 0 ? 1 : v < 0 ? -1 : 0;
}

}  // namespace

void PetView::setWindow(const std::shared_ptr<platform::Panel>& window) {
    if (auto previous = window_.lock(); previous && previous != window) previous->setMouseHandlers({}, {});
    window_ = window;
    if (!window) return;
    auto alive = std::weak_ptr<int>(life_);
    // The panel speaks in its own coordinates; the view stands at its frame inside it.
    window->setMouseHandlers(
        [this, alive](Point p) {
            return alive.lock() && hitTest({p.x - frame_.minX(), p.y - frame_.minY()});
        },
        [this, alive](const platform::PanelMouseEvent& event) {
            if (!alive.lock()) return;
            switch (event.type) {
                case platform::PanelMouseEvent::Type::down:
                    mouseDown(event);
                    break;
                case platform::PanelMouseEvent::Type::dragged:
                    mouseDragged(event);
                    break;
                case platform::PanelMouseEvent::Type::up:
                    mouseUp(event);
                    break;
            }
        });
}

platform::Panel* PetView::window() const {
    return window_.lock().get();
}

bool PetView::hitTest(Point point) const {
    const platform::Rect b = bounds();
    double r = 0.48 * std::min(b.width(), b.height());
    return std::hypot(point.x - b.midX(), point.y - b.midY()) <= r;
}

void PetView::mouseDown(const platform::PanelMouseEvent& event) {
    dragStartMouse_ = event.screenLocation;
    auto* w = window();
    dragStartOrigin_ = w ? std::optional<Point>(w->frame().origin) : std::nullopt;
    draggedDistance_ = 0;
    lastDragMouse_ = dragStartMouse_;
    lastDragTimestamp_ = event.timestamp;
    dragVelocity_ = {};
    if (onDragStarted) onDragStarted();
    setActivity(model::PetActivity::dragged);
    playPickupBounce();
}

void PetView::playPickupBounce() {
    if (reduceMotion()) return;
    double duration = profile_.energetic ? 0.4 : 0.49;
    auto bounce = Animation::keyframes("transform",
                                       {Transform::identity(), Transform::pose(0, -2, 0, 1.13, 0.84),
                                        Transform::pose(0, 2.4, 0, 0.91, 1.15), Transform::pose(0, 0, 0, 1.04, 0.97),
                                        Transform::identity()},
                                       duration)
                      .setKeyTimes({0, 0.2, 0.48, 0.76, 1})
                      .setTimingFunctions({TimingFunction::easeOut(), TimingFunction::easeInEaseOut(),
                                           TimingFunction::easeOut(), TimingFunction::easeInEaseOut()});
    layers_.interactionLayer->addAnimation(bounce, "pickupBounce");
    animateShadowPulse(duration);
}

void PetView::mouseDragged(const platform::PanelMouseEvent& event) {
    auto* w = window();
    if (!dragStartMouse_ || !dragStartOrigin_ || !w) return;
    const Point m = event.screenLocation;
    draggedDistance_ = std::hypot(m.x - dragStartMouse_->x, m.y - dragStartMouse_->y);

    if (lastDragMouse_ && lastDragTimestamp_) {
        double dt = event.timestamp - *lastDragTimestamp_;
        // Samples closer in time than a millisecond would turn jitter into a fling.
        if (dt > 0.001) {
            Vector sample{(m.x - lastDragMouse_->x) / dt, (m.y - lastDragMouse_->y) / dt};
            Vector v{0.28 * dragVelocity_.dx + 0.72 * sample.dx, 0.28 * dragVelocity_.dy + 0.72 * sample.dy};
            double speed = v.length();
            if (speed > maxDragSpeed) v = {v.dx * maxDragSpeed / speed, v.dy * maxDragSpeed / speed};
            if (std::isfinite(v.dx) && std::isfinite(v.dy)) dragVelocity_ = v;
        }
    }
    lastDragMouse_ = m;
    lastDragTimestamp_ = event.timestamp;

    if (!reduceMotion())
        anim::Transaction::withoutActions(
            [&] { layers_.interactionLayer->setTransform(dragTransform(dragVelocity_)); });

    Point proposed{dragStartOrigin_->x + m.x - dragStartMouse_->x, dragStartOrigin_->y + m.y - dragStartMouse_->y};
    w->setFrameOrigin(onDragMoved ? onDragMoved(proposed) : proposed);
}

Transform PetView::dragTransform(Vector velocity) {
    // The body trails the motion, turns toward the horizontal direction and stretches along the
    // faster axis.
    double px = std::min(std::abs(velocity.dx) / maxDragSpeed, 1.0);
    double py = std::min(std::abs(velocity.dy) / maxDragSpeed, 1.0);
    double sx = sign(velocity.dx), sy = sign(velocity.dy);
    return Transform::pose(-1.6 * px * sx, -1.3 * py * sy, 0.09 * px * sx, 1 + 0.08 * px - 0.025 * py,
                           1 + 0.08 * py - 0.035 * px);
}

void PetView::mouseUp(const platform::PanelMouseEvent&) {
    // A release without a press of ours (the press went elsewhere) is nobody's gesture.
    if (!dragStartMouse_) return;
    const bool tap = draggedDistance_ < tapDistance;
    auto* w = window();
    std::optional<model::PetDragRelease> release;
    if (!tap && w) release = model::PetDragRelease{w->frame().origin, dragVelocity_};
    // The gesture is over before anyone hears of it, so a callback may start the next one.
    dragStartMouse_.reset();
    dragStartOrigin_.reset();
    lastDragMouse_.reset();
    lastDragTimestamp_.reset();
    dragVelocity_ = {};
    if (tap) {
        anim::Transaction::withoutActions([&] { layers_.interactionLayer->setTransform(Transform::identity()); });
        if (onTap) onTap();
    } else if (release && onDragFinished) {
        // The lean stays until the release wobble takes it away.
        onDragFinished(*release);
    }
}

void PetView::playDragRelease(Vector velocity) {
    Transform lean = dragTransform(velocity);
    anim::Transaction::withoutActions([&] { layers_.interactionLayer->setTransform(Transform::identity()); });
    if (reduceMotion()) return;
    double s = sign(velocity.dx);
    double duration = profile_.energetic ? 0.42 : 0.52;
    auto wobble = Animation::keyframes("transform",
                                       {lean, Transform::pose(1.2 * s, 0, 0.065 * s, 1.08, 0.92),
                                        Transform::pose(-0.6 * s, 1.2, -0.035 * s, 0.97, 1.05), Transform::identity()},
                                       duration)
                      .setKeyTimes({0, 0.34, 0.68, 1})
                      .setTimingFunctions(
                          {TimingFunction::easeOut(), TimingFunction::easeInEaseOut(), TimingFunction::easeOut()});
    layers_.interactionLayer->addAnimation(wobble, "dragRelease");
    animateShadowPulse(duration);
}

void PetView::animateShadowPulse(double duration) {
    // A pet clinging to its home casts no shadow to squash.
    if (isHomeAttached_) return;
    auto& shadow = *layers_.shadowLayer;
    shadow.addAnimation(Animation::keyframes("transform.scale.x", {1.0, 0.78, 1.14, 1.0}, duration)
                            .setKeyTimes({0, 0.32, 0.66, 1})
                            .setTimingFunction(TimingFunction::easeInEaseOut()),
                        "weightPulse");
    shadow.addAnimation(
        Animation::keyframes("opacity", {0.72, 0.38, 0.82, 0.72}, duration).setKeyTimes({0, 0.32, 0.66, 1}),
        "weightOpacity");
}

}  // namespace pets
