#pragma once

#include <functional>
#include <limits>
#include <optional>

#include "anim/Layer.h"
#include "anim/VisibleChange.h"

namespace anim {

// When a panel paints its layer tree: only when the presentation would visibly change, at most
// `maxFrameRate` times a second, slow drifts less often and a little late so that they share a
// wake-up with another frame, and not at all while the tree is still. The owner keeps the timer
// and does the painting.
class FramePacer {
public:
    // The coordinator moves panels 30 times a second; drawing their contents more often costs
    // wake-ups without making a small pet look smoother.
    static constexpr double maxFrameRate = 30;

    struct Hooks {
        // Wake up for a frame at `at`, or up to `tolerance` later; replaces the wake-up planned.
        std::function<void(double at, double tolerance)> planFrame;
        std::function<void()> cancelFrame;
        // Paint the tree as presented at t.
        std::function<void(double t)> paint;
        // The next visible change found while planning; nothing while the tree stays still.
        std::function<void(std::optional<double> next)> nextChange;
    };

    explicit FramePacer(Hooks hooks) : hooks_(std::move(hooks)) {}

    // Of the screen the panel is on.
    void setFrameInterval(double seconds) { frameInterval_ = seconds; }
    // The next look paints, whatever the last frame showed.
    void forget() { painted_.reset(); }
    // Whether a change of the tree at `now` needs a look of its own: not when a frame that
    // looks at it anyway comes soon enough.
    bool needsLook(double now) const;
    // Paints the tree at t when it looks different from the last frame (and a frame may come
    // yet), then plans the next frame.
    void refresh(const Layer& root, double t, double pixelScale);
    // The planned wake-up came.
    void frameCame() { planned_ = false; }
    void cancel();

private:
    // Plans the frame after the one painted; with `until`, only one before that time (when a
    // frame is planned for it already).
    void planNext(const Layer& root, double t, double pixelScale,
                  double until = std::numeric_limits<double>::infinity());
    // Whether the tree at t has only moved, and by less than a drift may, since the last frame.
    bool isDriftAt(const Layer& root, double t, double pixelScale) const;
    void planFrame(double at, double tolerance);

    Hooks hooks_;
    std::optional<FrameSignature> painted_;
    // The tree as the last look found it; kept to reuse its storage.
    FrameSignature looked_;
    double lastPaint_ = -1e9;
    double frameInterval_ = 1.0 / 60;
    bool planned_ = false;
    double frameAt_ = 0;      // the planned frame's time
    double frameLatest_ = 0;  // and the latest it comes
};

}  // namespace anim
