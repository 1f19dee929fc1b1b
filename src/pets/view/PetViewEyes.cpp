#include <algorithm>
#include <cmath>
#include <vector>

#include "anim/MediaTime.h"
#include "anim/Transaction.h"
#include "model/PetMotionRules.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using anim::Animation;
using anim::TimingFunction;
using anim::Transform;
using model::PetActivity;
using platform::Point;

// Where each eye sits in the view: its path, and its pupil's, are drawn about this point.
Point eyeCenter(const platform::Rect& bounds, bool left) {
    return {(left ? 0.388 : 0.612) * bounds.width(), 0.558 * bounds.height()};
}

// What, added on top of `model`, scales a layer by (kx, ky) about `center` (in the layer's own
// coordinates) before the model transform acts. The eye parts have zero frames at the view's
// origin, so a plain scale would pull them toward the view's corner; this one keeps them in
// place and leaves the narrowing of the activity and the gaze offset as they are.
Transform scaleAbout(const Transform& model, Point center, double kx, double ky) {
    double vx = model.sx * (1 - kx) * center.x, vy = model.sy * (1 - ky) * center.y;
    double c = std::cos(model.rotation), s = std::sin(model.rotation);
    return Transform::pose(c * vx - s * vy, s * vx + c * vy, 0, kx, ky);
}

// `pose` acting about `pivot` instead of the layer's origin.
Transform about(const Transform& pose, Point pivot) {
    double c = std::cos(pose.rotation), s = std::sin(pose.rotation);
    double x = pose.sx * pivot.x, y = pose.sy * pivot.y;
    return Transform::pose(pose.tx + pivot.x - (c * x - s * y), pose.ty + pivot.y - (s * x + c * y), pose.rotation,
                           pose.sx, pose.sy);
}

constexpr const char* sweepKey = "gazeSweep";

// The gaze sweeping along the edge: the pupils swing `reach` points either side of their rest,
// a sine at `speed` radians a second from `phase` on. An endless animation, so that a sweeping
// pet needs no look at its gaze and paints only when the pupils visibly move.
Animation gazeSweep(double phase) {
    constexpr double reach = 1.65, speed = 1.15;
    // Straight steps this short are a sine at the pupils' size.
    constexpr int steps = 24;
    std::vector<anim::Value> values;
    for (int i = 0; i <= steps; ++i)
        values.push_back(Transform::translation(reach * std::sin(phase + 2 * M_PI * i / steps), 0));
    return Animation::keyframes("transform", values, 2 * M_PI / speed)
        .setRepeatCount(Animation::infinity)
        .setAdditive(true);
}

// Where an additive move of the pupils puts them at t beyond their model position.
Point shiftAt(const anim::Layer& pupil, const char* key, double t) {
    const Animation* a = pupil.animation(key);
    if (!a || !a->additive) return {};
    auto progress = a->progressAt(t - a->beginTime);
    if (!progress) return {};
    auto v = std::get<Transform>(a->valueAt(*progress, Transform::identity()));
    return {v.tx, v.ty};
}

}  // namespace

void PetView::blink() {
    if (activity_ == PetActivity::sleeping || activity_ == PetActivity::dreaming || activity_ == PetActivity::cuddling)
        return;
    const auto& L = layers_;
    for (auto [part, left] : {std::pair{L.leftEye.get(), true}, std::pair{L.rightEye.get(), false},
                              std::pair{L.leftPupil.get(), true}, std::pair{L.rightPupil.get(), false}}) {
        Point center = eyeCenter(bounds(), left);
        part->addAnimation(
            Animation::keyframes(
                "transform",
                {Transform::identity(), scaleAbout(part->transform(), center, 1, 0.08), Transform::identity()}, 0.16)
                .setKeyTimes({0, 0.45, 1})
                .setAdditive(true),
            "blink");
    }
}

void PetView::pulseEyes() {
    const auto& L = layers_;
    for (auto [eye, left] : {std::pair{L.leftEye.get(), true}, std::pair{L.rightEye.get(), false}}) {
        Point center = eyeCenter(bounds(), left);
        eye->addAnimation(
            Animation::basic("transform", Transform::identity(), scaleAbout(eye->transform(), center, 1.15, 1.15), 0.1)
                .setAutoreverses(true)
                .setAdditive(true),
            "pulse");
    }
}

bool PetView::updateGaze() {
    auto* w = window();
    auto* pointer = platform::services().pointer;
    if (!w || !w->isVisible() || !pointer) return false;
    const double t = anim::currentMediaTime();
    // Along its edge, or into the distance, the pet sweeps its gaze; the pets sweep out of step.
    // The sweep needs no pointer, so it asks the X server nothing.
    const bool scans =
        model::PetHomeMotionPolicy::scansEdge(isHomeAttached_, manualPerchEdge_.has_value(), activity_) ||
        activity_ == PetActivity::lookingFar;
    if (!scans || activity_ == PetActivity::sleeping || activity_ == PetActivity::dreaming) stopGazeSweep(t);
    if (activity_ == PetActivity::sleeping || activity_ == PetActivity::dreaming) return false;
    const bool sweeping = layers_.leftPupil->animation(sweepKey) != nullptr;
    Point offset;
    platform::Vector delta;
    bool pointerMoved = false;
    if (scans) {
        // The sweep swings about this rest, looking up and out.
        offset = {0, 0.4};
    } else {
        const Point m = pointer->location();
        pointerMoved = !lastPointer_ || std::abs(m.x - lastPointer_->x) >= 0.5 || std::abs(m.y - lastPointer_->y) >= 0.5;
        lastPointer_ = m;
        const Point c = w->frame().center();
        delta = {m.x - c.x, m.y - c.y};
        // A pointer that is no number leaves the eyes where they look.
        if (!std::isfinite(delta.dx) || !std::isfinite(delta.dy)) return false;
        offset = {1.25 * std::clamp(delta.dx / 170, -1.0, 1.0), 1.25 * std::clamp(delta.dy / 170, -1.0, 1.0)};
    }
    // A pointer that barely moved moves no pupil: nothing on screen would change, and a glide
    // would keep the panel painting.
    constexpr double unseen = 1.0 / 32;
    const Transform current = layers_.leftPupil->transform();
    const bool startsSweep = scans && !sweeping;
    const bool moves = startsSweep || std::abs(current.tx - offset.x) >= unseen ||
                       std::abs(current.ty - offset.y) >= unseen || !(layers_.rightPupil->transform() == current);
    // Out of step: each pet starts the sweep where its own phase has it.
    const double phase = 1.15 * t + profile_.id;
    for (auto* pupil : {layers_.leftPupil.get(), layers_.rightPupil.get()}) {
        if (!moves) break;
        // The pupils glide to the new offset by an additive move, which adds up with a blink
        // in progress instead of freezing its squint into the glide.
        Point remaining = shiftAt(*pupil, "transform", t);
        if (startsSweep) {
            pupil->addAnimation(gazeSweep(phase).setBeginTime(t), sweepKey);
            const Point swing = shiftAt(*pupil, sweepKey, t);
            remaining = {remaining.x - swing.x, remaining.y - swing.y};
        }
        const Transform old = pupil->transform();
        anim::Transaction::withoutActions([&] { pupil->setTransform(Transform::translation(offset.x, offset.y)); });
        const Transform from = Transform::translation(old.tx - offset.x + remaining.x, old.ty - offset.y + remaining.y);
        if (from.isIdentity()) continue;
        pupil->addAnimation(Animation::basic("transform", from, Transform::identity(), 0.15)
                                .setAdditive(true)
                                .setBeginTime(t)
                                .setTimingFunction(TimingFunction::defaultCurve()),
                            "transform");
    }

    if (!scans) applyCursorAttention(delta);
    return startsSweep || pointerMoved || moves;
}

void PetView::stopGazeSweep(double t) {
    for (auto* pupil : {layers_.leftPupil.get(), layers_.rightPupil.get()}) {
        const Point swing = shiftAt(*pupil, sweepKey, t);
        if (!pupil->animation(sweepKey)) continue;
        pupil->removeAnimation(sweepKey);
        const Transform model = pupil->transform();
        anim::Transaction::withoutActions(
            [&] { pupil->setTransform(Transform::translation(model.tx + swing.x, model.ty + swing.y)); });
    }
}

void PetView::applyCursorAttention(platform::Vector delta) {
    const bool still = reduceMotion();
    const auto pose =
        still ? model::CursorAttentionPose::neutral() : model::CursorAttentionEngine::pose(delta, activity_);
    anim::Transaction::animate(still ? 0 : 0.14, [&] {
        layers_.attentionLayer->setTransform(
            Transform::pose(pose.offsetX, pose.offsetY, pose.rotation, pose.scaleX, pose.scaleY));
        layers_.furEchoLayer->setOpacity(pose.furEchoOpacity);
    });
    // One reach per approach: the pointer must back off well before the paw reaches again.
    if (pose.strength > 0.72 && !cursorWasNear_) {
        cursorWasNear_ = true;
        playCuriousPaw(delta);
    } else if (pose.strength < 0.42) {
        cursorWasNear_ = false;
    }
}

void PetView::playCuriousPaw(platform::Vector toward) {
    if (reduceMotion()) return;
    const double s = toward.dx >= 0 ? 1 : -1;
    auto& paw = s > 0 ? *layers_.rightPaw : *layers_.leftPaw;
    // Like the eyes, a paw has a zero frame at the view's origin: the reach turns and stretches
    // it about its own middle, so both paws reach outward alike.
    const platform::Rect b = bounds();
    const Point middle{(s > 0 ? 0.687 : 0.312) * b.width(), 0.1465 * b.height()};
    paw.addAnimation(
        Animation::keyframes("transform",
                             {Transform::identity(), about(Transform::pose(2 * s, 2.4, 0.08 * s, 1.12, 0.92), middle),
                              about(Transform::pose(0.6 * s, 0.8, 0, 0.98, 1.04), middle), Transform::identity()},
                             profile_.energetic ? 0.46 : 0.58)
            .setKeyTimes({0, 0.38, 0.72, 1})
            .setTimingFunction(TimingFunction::easeInEaseOut()),
        "curiousReach");
}

}  // namespace pets
