#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "anim/Layer.h"

namespace anim {

// What a painted frame of a layer tree looked like, in just enough detail to tell whether
// another frame would change a pixel: where each drawing layer's extent lands on the device,
// its opacity and colours in 8-bit steps, and its content version. Lets a renderer paint only
// when something visible changed.
class FrameSignature {
public:
    // The tree as presented at t, with `pixelScale` device pixels per point.
    static FrameSignature capture(const Layer& root, double t, double pixelScale);
    // The same into this one, reusing its storage.
    void recapture(const Layer& root, double t, double pixelScale);
    // Only the sublayers of `layer`, in its own coordinates scaled by `pixelScale` (for a
    // renderer that keeps a bitmap of them).
    static FrameSignature captureSublayers(const Layer& layer, double t, double pixelScale);
    // The same for the sublayers at indices [begin, end) only.
    static FrameSignature captureSublayers(const Layer& layer, double t, double pixelScale, size_t begin, size_t end);

    // True when painting one instead of the other would change a pixel: an edge moved by half
    // a pixel or more, an opacity or colour step, other content, or other layers.
    bool differsVisibly(const FrameSignature& other) const;
    // The same as capture(root, t, pixelScale).differsVisibly(painted), but stops at the first
    // difference and keeps nothing.
    static bool differsVisibly(const Layer& root, double t, double pixelScale, const FrameSignature& painted);
    // How far, in device pixels, the tree at t has moved its farthest edge from where `painted`
    // has it; infinite when anything but position differs (opacity, colour, content, layers).
    static double largestShift(const Layer& root, double t, double pixelScale, const FrameSignature& painted);
    // Nothing differs at all.
    bool identical(const FrameSignature& other) const;
    // The box around everything drawn, in the captured space (empty when nothing draws).
    Rect bounds() const;
    size_t itemCount() const { return items_.size(); }

private:
    struct Item {
        const void* source;
        Affine toDevice;
        Rect extent;
        uint8_t opacity;
        uint64_t look;
        uint64_t content;
    };
    // The farthest corner's move between two frames of one item; infinite for other changes.
    static double itemShift(const Item& a, const Item& b);
    void add(Item item);
    void walk(const Layer& layer, double t, const Affine& parent, double parentOpacity);
    std::vector<Item> items_;
    // While comparing with `against_` instead of keeping items.
    const FrameSignature* against_ = nullptr;
    size_t compared_ = 0;
    bool diverged_ = false;
    // Measuring how far it moved instead of stopping at a visible move.
    bool measuring_ = false;
    double shift_ = 0;
};

// The first frame time after `after`, on a grid of `frameInterval`, at which the tree would look
// different from `painted`; at most `horizon` seconds ahead while it keeps animating invisibly
// (the caller looks again then). Nothing when the tree is still and nothing is scheduled.
std::optional<double> nextVisibleChange(const Layer& root, const FrameSignature& painted, double after,
                                        double pixelScale, double frameInterval, double horizon = 1.0);

}  // namespace anim
