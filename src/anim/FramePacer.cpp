#include "anim/FramePacer.h"

#include <algorithm>
#include <utility>

namespace anim {
namespace {

// A slow drift (the edges stay within `driftShift` pixels, at the scale the tree is judged at,
// of the last frame until `driftDelay` after the frame's time) is painted at most every
// `driftInterval` and may wait that delay for another wake-up (the other pet's frame, a gaze
// look) to come along with.
constexpr double driftDelay = 0.17;
constexpr double driftInterval = 0.08;
constexpr double driftShift = 1.0;
// How late a change of the tree may be looked at when a frame is coming anyway.
constexpr double lookAgainWithin = 1.0 / 30;

}  // namespace

bool FramePacer::needsLook(double now) const {
    return !(planned_ && painted_ && frameLatest_ <= now + lookAgainWithin);
}

void FramePacer::refresh(const Layer& root, double t, double pixelScale) {
    // One walk both tells whether anything shows and keeps what the frame painted.
    looked_.recapture(root, t, pixelScale);
    if (!painted_ || looked_.differsVisibly(*painted_)) {
        double earliest = lastPaint_ + frameInterval_;
        if (painted_ && t < earliest - 0.0005) {
            planFrame(earliest, 1 / maxFrameRate);
            return;
        }
        if (painted_)
            std::swap(*painted_, looked_);
        else
            painted_ = looked_;
        lastPaint_ = t;
        hooks_.paint(t);
    } else if (planned_) {
        // Nothing shows yet and a frame is coming. When what changed stays a drift until then,
        // that frame paints it; otherwise only a change before it matters.
        if (isDriftAt(root, frameLatest_, pixelScale)) return;
        return planNext(root, t, pixelScale, frameAt_);
    }
    planNext(root, t, pixelScale);
}

void FramePacer::cancel() {
    planned_ = false;
    hooks_.cancelFrame();
}

bool FramePacer::isDriftAt(const Layer& root, double t, double pixelScale) const {
    return FrameSignature::largestShift(root, t, pixelScale, *painted_) < driftShift;
}

void FramePacer::planFrame(double at, double tolerance) {
    planned_ = true;
    frameAt_ = at;
    frameLatest_ = at + tolerance;
    hooks_.planFrame(at, tolerance);
}

void FramePacer::planNext(const Layer& root, double t, double pixelScale, double until) {
    if (until <= t) return;
    const double interval = frameInterval_;
    // A drift that shows by the next drift frame and stays small until that frame may come is
    // painted then: no need to find the exact frame it first shows in.
    // Both looks below often ask about the same time.
    std::optional<std::pair<double, bool>> lastDrift;
    auto driftAt = [&](double at) {
        if (!lastDrift || lastDrift->first != at) lastDrift.emplace(at, isDriftAt(root, at, pixelScale));
        return lastDrift->second;
    };
    const double soon = std::max(t + interval, lastPaint_ + driftInterval);
    if (soon + driftDelay < until && driftAt(soon + driftDelay) &&
        FrameSignature::differsVisibly(root, soon, pixelScale, *painted_))
        return planFrame(soon, driftDelay);
    auto next = nextVisibleChange(root, *painted_, t, pixelScale, interval, std::min(1.0, until - t));
    hooks_.nextChange(next);
    if (!next) {
        cancel();
        return;
    }
    if (*next >= until) return;
    double wake = std::max(*next, lastPaint_ + interval);
    double drift = std::max(wake, lastPaint_ + driftInterval);
    if (driftAt(drift + driftDelay)) return planFrame(drift, driftDelay);
    planFrame(wake, 1 / maxFrameRate);
}

}  // namespace anim
