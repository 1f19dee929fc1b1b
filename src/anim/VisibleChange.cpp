#include "anim/VisibleChange.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "anim/EmitterLayer.h"
#include "anim/ShapeLayer.h"
#include "anim/TextLayer.h"

namespace anim {
namespace {

// How far an edge must move, in pixels at the scale asked for (panels ask in points), before a
// frame is worth painting: half a pixel still reads as smooth motion on soft fur, and a slow
// breath costs half the frames a quarter would.
constexpr double visibleShift = 0.5;

uint8_t step(double unit) {
    // Rounds half up, which for these non-negative values is what lround does, without its call.
    return uint8_t(std::clamp(unit, 0.0, 1.0) * 255 + 0.5);
}

struct Hasher {
    uint64_t h = 1469598103934665603ULL;
    void add(uint64_t v) {
        h = (h ^ v) * 0x9e3779b97f4a7c15ULL;
        h ^= h >> 29;
    }
    void color(Color c) {
        add(uint64_t(step(c.red)) | uint64_t(step(c.green)) << 8 | uint64_t(step(c.blue)) << 16 |
            uint64_t(step(c.alpha)) << 24);
    }
    // Lengths in quarter points: finer changes of a line width or blur do not show.
    void length(double v) { add(uint64_t(std::llround(v * 4))); }
};

Rect outset(const Rect& r, double by) {
    return {r.minX() - by, r.minY() - by, r.width() + 2 * by, r.height() + 2 * by};
}

}  // namespace

FrameSignature FrameSignature::capture(const Layer& root, double t, double pixelScale) {
    FrameSignature sig;
    sig.items_.reserve(64);
    sig.recapture(root, t, pixelScale);
    return sig;
}

void FrameSignature::recapture(const Layer& root, double t, double pixelScale) {
    items_.clear();
    walk(root, t, Affine::scale(pixelScale, pixelScale), 1);
}

FrameSignature FrameSignature::captureSublayers(const Layer& layer, double t, double pixelScale) {
    return captureSublayers(layer, t, pixelScale, 0, layer.sublayers().size());
}

FrameSignature FrameSignature::captureSublayers(const Layer& layer, double t, double pixelScale, size_t begin,
                                                size_t end) {
    FrameSignature sig;
    sig.items_.reserve(64);
    const auto& subs = layer.sublayers();
    for (size_t i = begin; i < std::min(end, subs.size()); ++i)
        sig.walk(*subs[i], t, Affine::scale(pixelScale, pixelScale), 1);
    return sig;
}

bool FrameSignature::identical(const FrameSignature& other) const {
    if (items_.size() != other.items_.size()) return false;
    for (size_t i = 0; i < items_.size(); ++i) {
        const Item& a = items_[i];
        const Item& b = other.items_[i];
        if (a.source != b.source || a.opacity != b.opacity || a.look != b.look || a.content != b.content ||
            !(a.toDevice == b.toDevice) || !(a.extent == b.extent))
            return false;
    }
    return true;
}

Rect FrameSignature::bounds() const {
    Rect box;
    for (const Item& item : items_)
        if (item.opacity > 0 && !item.extent.isEmpty()) box = box.unionWith(item.toDevice.applyToRect(item.extent));
    return box;
}

void FrameSignature::add(Item item) {
    if (!against_) return items_.push_back(item);
    // Comparing as it walks: the first visible difference ends the walk.
    const auto& theirs = against_->items_;
    if (compared_ >= theirs.size()) {
        diverged_ = true;
    } else if (measuring_) {
        shift_ = std::max(shift_, itemShift(item, theirs[compared_]));
        diverged_ = std::isinf(shift_);
    } else {
        diverged_ = itemShift(item, theirs[compared_]) >= visibleShift;
    }
    ++compared_;
}

void FrameSignature::walk(const Layer& layer, double t, const Affine& parent, double parentOpacity) {
    if (diverged_) return;
    const LayerState& s = layer.presented(t);
    if (s.hidden) return;
    double opacity = parentOpacity * s.opacity;
    Affine m = s.toSuperlayer().then(parent);
    if (step(opacity) == 0) {
        // Nothing of the subtree shows; only its coming back matters.
        add({&layer, {}, {}, 0, 0, 0});
        return;
    }
    Rect extent;
    Hasher look;
    bool draws = false;
    auto include = [&](const Rect& r) {
        extent = draws ? extent.unionWith(r) : r;
        draws = true;
    };
    if (!s.backgroundColor.isClear() || layer.contents() || layer.masksToBounds()) include(s.bounds);
    look.color(s.backgroundColor);
    switch (layer.kind()) {
        case LayerKind::shape: {
            const auto& shape = static_cast<const ShapeLayer&>(layer);
            if (!shape.path().isEmpty()) {
                bool stroked = !s.strokeColor.isClear() && s.lineWidth > 0;
                if (!s.fillColor.isClear() || stroked)
                    include(outset(shape.pathBounds(), stroked ? s.lineWidth / 2 : 0));
            }
            look.color(s.fillColor);
            look.color(s.strokeColor);
            look.length(s.lineWidth);
            break;
        }
        case LayerKind::text:
            if (!static_cast<const TextLayer&>(layer).string().empty()) include(s.bounds);
            break;
        case LayerKind::emitter: {
            for (const Particle& p : static_cast<const EmitterLayer&>(layer).particles(t)) {
                const auto& image = p.cell->contents;
                if (!image) continue;
                double w = image->pixelWidth() / p.cell->contentsScale,
                       h = image->pixelHeight() / p.cell->contentsScale;
                Affine pm = Affine::scale(p.scale, p.scale)
                                .then(Affine::rotation(p.rotation))
                                .then(Affine::translation(p.position.x, p.position.y))
                                .then(m);
                Hasher ph;
                ph.color(p.cell->color);
                add({p.cell, pm, {-w / 2, -h / 2, w, h}, step(opacity * p.alpha), ph.h, 0});
            }
            break;
        }
        case LayerKind::plain:
            break;
    }
    if (draws && s.shadowOpacity > 0 && !s.shadowColor.isClear()) {
        include(outset(extent.offsetBy(s.shadowOffset.width, s.shadowOffset.height), 2 * s.shadowRadius));
        look.color(s.shadowColor.withAlpha(s.shadowColor.alpha * s.shadowOpacity));
        look.length(s.shadowRadius);
        look.length(s.shadowOffset.width);
        look.length(s.shadowOffset.height);
    }
    if (draws) add({&layer, m, extent, step(opacity), look.h, layer.contentVersion()});
    for (const auto& sub : layer.sublayers()) walk(*sub, t, m, opacity);
}

double FrameSignature::itemShift(const Item& a, const Item& b) {
    if (a.source != b.source || a.opacity != b.opacity || a.look != b.look || a.content != b.content)
        return std::numeric_limits<double>::infinity();
    const Affine &m = a.toDevice, &n = b.toDevice;
    // Most items sit still under a moving one.
    if (m == n) return 0;
    // A corner moves by the difference of the two mappings applied to it.
    const double da = m.a - n.a, db = m.b - n.b, dc = m.c - n.c, dd = m.d - n.d, dx = m.tx - n.tx, dy = m.ty - n.ty;
    const Rect& r = a.extent;
    double farthest = 0;
    for (double x : {r.minX(), r.maxX()})
        for (double y : {r.minY(), r.maxY()}) {
            const double mx = da * x + dc * y + dx, my = db * x + dd * y + dy;
            farthest = std::max(farthest, mx * mx + my * my);
        }
    return std::sqrt(farthest);
}

bool FrameSignature::differsVisibly(const FrameSignature& other) const {
    if (items_.size() != other.items_.size()) return true;
    for (size_t i = 0; i < items_.size(); ++i)
        if (itemShift(items_[i], other.items_[i]) >= visibleShift) return true;
    return false;
}

double FrameSignature::largestShift(const Layer& root, double t, double pixelScale, const FrameSignature& painted) {
    FrameSignature probe;
    probe.against_ = &painted;
    probe.measuring_ = true;
    probe.walk(root, t, Affine::scale(pixelScale, pixelScale), 1);
    if (probe.diverged_ || probe.compared_ != painted.items_.size()) return std::numeric_limits<double>::infinity();
    return probe.shift_;
}

bool FrameSignature::differsVisibly(const Layer& root, double t, double pixelScale, const FrameSignature& painted) {
    FrameSignature probe;
    probe.against_ = &painted;
    probe.walk(root, t, Affine::scale(pixelScale, pixelScale), 1);
    return probe.diverged_ || probe.compared_ != painted.items_.size();
}

std::optional<double> nextVisibleChange(const Layer& root, const FrameSignature& painted, double after,
                                        double pixelScale, double frameInterval, double horizon) {
    // Probes ahead in growing steps (up to eight frames) and then finds the first changed frame
    // in the last step by halving it: a slow motion needs a handful of looks instead of one per
    // frame. A change that comes and goes entirely between two probes is never needed anyway.
    constexpr int longestStep = 8;
    const double fi = frameInterval;
    auto differs = [&](double t) { return FrameSignature::differsVisibly(root, t, pixelScale, painted); };
    double limit = after + horizon;
    double known = after;  // a time that looks like `painted`
    int step = 1;
    for (;;) {
        double t = known + step * fi;
        if (differs(t)) {
            int lo = 0, hi = step;
            while (hi - lo > 1) {
                int mid = (lo + hi) / 2;
                (differs(known + mid * fi) ? hi : lo) = mid;
            }
            return known + hi * fi;
        }
        known = t;
        if (!root.isAnimating(t)) {
            double next = root.nextChangeTime(t);
            if (std::isinf(next)) return std::nullopt;
            if (next > limit) return next;
            // Still until `next`: the first frame worth a look is the one at it.
            known = std::max(t, next - fi);
            step = 1;
            continue;
        }
        if (t >= limit) return t;
        step = std::min(2 * step, longestStep);
    }
}

}  // namespace anim
