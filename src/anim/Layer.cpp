#include "anim/Layer.h"

#include <algorithm>
#include <cmath>

#include "anim/MediaTime.h"
#include "anim/Transaction.h"
#include "platform/Services.h"

namespace anim {
namespace {

uint64_t newContentVersion() {
    static uint64_t counter = 0;
    return ++counter;
}

const char* implicitKey(KeyPath::Property p) {
    switch (p) {
        case KeyPath::Property::opacity:
            return "opacity";
        case KeyPath::Property::transform:
            return "transform";
        case KeyPath::Property::position:
            return "position";
        case KeyPath::Property::bounds:
            return "bounds";
        default:
            return nullptr;
    }
}

bool isScalePart(KeyPath::Part p) {
    return p == KeyPath::Part::scale || p == KeyPath::Part::scaleX || p == KeyPath::Part::scaleY;
}

}  // namespace

struct Layer::Entry {
    std::string key;
    Animation animation;
    KeyPath path;
    double begin;
    double end;
    uint64_t serial;
    std::unique_ptr<platform::Timer> completionTimer;
};

Layer::Layer() : contentVersion_(newContentVersion()), subtreeRevision_(newContentVersion()) {}

Layer::~Layer() {
    for (auto& s : sublayers_) s->superlayer_ = nullptr;
    // Whoever waits for an animation hears that it did not finish (unless the loop is gone too).
    if (platform::services().mainLoop)
        for (auto& e : animations_)
            if (e.animation.completion)
                platform::mainLoop().post([f = std::move(e.animation.completion)] { f(false); });
}

// ---- tree

void Layer::addSublayer(std::shared_ptr<Layer> layer) {
    insertSublayer(std::move(layer), sublayers_.size());
}

void Layer::insertSublayer(std::shared_ptr<Layer> layer, size_t index) {
    if (!layer || layer.get() == this) return;
    if (layer->superlayer_) layer->removeFromSuperlayer();
    layer->superlayer_ = this;
    sublayers_.insert(sublayers_.begin() + std::ptrdiff_t(std::min(index, sublayers_.size())), std::move(layer));
    contentChanged();
}

void Layer::removeFromSuperlayer() {
    Layer* parent = superlayer_;
    if (!parent) return;
    auto it = std::find_if(parent->sublayers_.begin(), parent->sublayers_.end(),
                           [this](const auto& s) { return s.get() == this; });
    if (it == parent->sublayers_.end()) return;
    std::shared_ptr<Layer> self = *it;  // keeps this alive until the end of the function
    parent->sublayers_.erase(it);
    superlayer_ = nullptr;
    parent->contentChanged();
}

// ---- properties

template <typename T>
void Layer::setImplicitly(KeyPath::Property property, T LayerState::*field, const T& value) {
    if (model_.*field == value) return;
    const char* key = implicitKey(property);
    if (superlayer_ && !Transaction::disableActions()) {
        double duration = Transaction::animationDuration();
        if (duration > 0) {
            double now = currentMediaTime();
            Value from = KeyPath::of(property).read(presentation(now));
            model_.*field = value;
            Animation a = Animation::basic(key, from, std::nullopt, duration);
            a.timingFunction = Transaction::animationTimingFunction();
            addAnimation(a, key);
            return;
        }
        // A zero-length action replaces whatever implicit animation was carrying the property.
        removeAnimation(key);
    }
    model_.*field = value;
    changed();
}

void Layer::setPosition(Point p) {
    setImplicitly(KeyPath::Property::position, &LayerState::position, p);
}
void Layer::setBounds(const Rect& r) {
    setImplicitly(KeyPath::Property::bounds, &LayerState::bounds, r);
}
void Layer::setTransform(const Transform& t) {
    setImplicitly(KeyPath::Property::transform, &LayerState::transform, t);
}
void Layer::setOpacity(double o) {
    setImplicitly(KeyPath::Property::opacity, &LayerState::opacity, o);
}
void Layer::setAnchorPoint(Point p) {
    setField(&LayerState::anchorPoint, p);
}
void Layer::setHidden(bool h) {
    setField(&LayerState::hidden, h);
}
void Layer::setBackgroundColor(Color c) {
    setField(&LayerState::backgroundColor, c);
}
void Layer::setShadowColor(Color c) {
    setField(&LayerState::shadowColor, c);
}
void Layer::setShadowOpacity(double o) {
    setField(&LayerState::shadowOpacity, o);
}
void Layer::setShadowRadius(double r) {
    setField(&LayerState::shadowRadius, r);
}
void Layer::setShadowOffset(Size s) {
    setField(&LayerState::shadowOffset, s);
}

Rect Layer::frame() const {
    return model_.toSuperlayer().applyToRect(model_.bounds);
}

void Layer::setFrame(const Rect& r) {
    Rect b = model_.bounds;
    b.size = {r.width(), r.height()};
    setBounds(b);
    setPosition({r.minX() + model_.anchorPoint.x * r.width(), r.minY() + model_.anchorPoint.y * r.height()});
}

void Layer::setMasksToBounds(bool m) {
    if (masksToBounds_ == m) return;
    masksToBounds_ = m;
    contentChanged();
}

void Layer::setCompositingFilter(std::string filter) {
    if (compositingFilter_ == filter) return;
    compositingFilter_ = std::move(filter);
    contentChanged();
}

void Layer::setContentsScale(double s) {
    if (contentsScale_ == s || !(s > 0)) return;
    contentsScale_ = s;
    contentChanged();
}

void Layer::setContents(std::shared_ptr<const Image> image) {
    if (contents_ == image) return;
    contents_ = std::move(image);
    contentChanged();
}

void Layer::setContentsGravity(ContentsGravity g) {
    if (contentsGravity_ == g) return;
    contentsGravity_ = g;
    contentChanged();
}

void Layer::setMinificationFilter(ScalingFilter f) {
    if (minificationFilter_ == f) return;
    minificationFilter_ = f;
    contentChanged();
}

void Layer::setMagnificationFilter(ScalingFilter f) {
    if (magnificationFilter_ == f) return;
    magnificationFilter_ = f;
    contentChanged();
}

// ---- animations

bool Layer::isFinished(const Entry& e, double t) {
    return e.animation.removedOnCompletion && t >= e.end;
}

bool Layer::entryAnimating(const Entry& e, double t) {
    return t >= e.begin && t < e.end;
}

void Layer::addAnimation(const Animation& animation, const std::string& key) {
    auto path = KeyPath::parse(animation.keyPath);
    if (!path) return;
    Animation a = animation;
    for (auto* v : {&a.fromValue, &a.toValue, &a.byValue}) {
        if (!*v) continue;
        auto n = path->normalized(**v);
        if (!n) return;
        *v = *n;
    }
    for (Value& v : a.values) {
        auto n = path->normalized(v);
        if (!n) return;
        v = *n;
    }
    double now = currentMediaTime();
    purgeFinished(now);
    if (!key.empty()) removeAnimation(key);
    double begin = a.beginTime > 0 ? a.beginTime : now;
    double end = begin + a.activeDuration();
    Entry e{key, std::move(a), *path, begin, end, ++nextSerial_, nullptr};
    if (e.animation.completion && std::isfinite(end)) {
        uint64_t serial = e.serial;
        e.completionTimer = platform::mainLoop().schedule(std::max(0.0, end - now), 0, false,
                                                          [this, serial, life = std::weak_ptr<int>(life_)] {
                                                              // Finishing removes the entry that owns this timer: do it
                                                              // on the next turn.
                                                              platform::mainLoop().post([this, serial, life] {
                                                                  if (life.lock()) finishEntry(serial);
                                                              });
                                                          });
    }
    animations_.push_back(std::move(e));
    changed();
}

void Layer::finishEntry(uint64_t serial) {
    auto it = std::find_if(animations_.begin(), animations_.end(), [&](const Entry& e) { return e.serial == serial; });
    if (it == animations_.end()) return;
    auto completion = std::move(it->animation.completion);
    it->completionTimer.reset();
    if (it->animation.removedOnCompletion) {
        animations_.erase(it);
        changed();
    }
    if (completion) completion(true);
}

void Layer::purgeFinished(double now) {
    for (auto it = animations_.begin(); it != animations_.end();) {
        if (!isFinished(*it, now)) {
            ++it;
            continue;
        }
        if (it->animation.completion) platform::mainLoop().post([f = std::move(it->animation.completion)] { f(true); });
        it = animations_.erase(it);
    }
}

void Layer::removeAnimation(const std::string& key) {
    auto it = std::find_if(animations_.begin(), animations_.end(), [&](const Entry& e) { return e.key == key; });
    if (it == animations_.end()) return;
    if (it->animation.completion) {
        platform::mainLoop().post([f = std::move(it->animation.completion)] { f(false); });
    }
    animations_.erase(it);
    changed();
}

void Layer::removeAllAnimations() {
    if (animations_.empty()) return;
    std::vector<Entry> gone = std::move(animations_);
    animations_.clear();
    for (auto& e : gone)
        if (e.animation.completion) platform::mainLoop().post([f = std::move(e.animation.completion)] { f(false); });
    changed();
}

const Animation* Layer::animation(const std::string& key) const {
    if (animations_.empty()) return nullptr;
    double now = currentMediaTime();
    for (const Entry& e : animations_)
        if (e.key == key && !isFinished(e, now)) return &e.animation;
    return nullptr;
}

size_t Layer::heldAnimationCount() const {
    return animations_.size();
}

std::vector<std::string> Layer::animationKeys() const {
    std::vector<std::string> keys;
    if (animations_.empty()) return keys;
    double now = currentMediaTime();
    for (const Entry& e : animations_)
        if (!e.key.empty() && !isFinished(e, now)) keys.push_back(e.key);
    return keys;
}

// ---- presentation

const LayerState& Layer::presented(double t) const {
    if (animations_.empty()) return model_;
    // Every change of the model or the animations gives a new revision.
    if (presented_.t == t && presented_.revision == subtreeRevision_) return presented_.state;
    presented_.t = t;
    presented_.revision = subtreeRevision_;
    LayerState& s = presented_.state;
    s = model_;
    for (const Entry& e : animations_) {
        auto progress = e.animation.progressAt(t - e.begin);
        if (!progress) continue;
        Value under = e.path.read(s);
        Value v = e.animation.valueAt(*progress, under);
        if (e.animation.additive) {
            if (e.path.part() == KeyPath::Part::scale) {
                // A uniform scale on top of a non-uniform one scales each axis.
                s.transform.sx *= std::get<double>(v);
                s.transform.sy *= std::get<double>(v);
                continue;
            }
            v = isScalePart(e.path.part()) ? Value(std::get<double>(under) * std::get<double>(v))
                                           : accumulate(under, v);
        }
        e.path.write(s, v);
    }
    return s;
}

bool Layer::isAnimating(double t) const {
    if (model_.hidden) return false;
    if (contentIsAnimating(t)) return true;
    for (const Entry& e : animations_)
        if (entryAnimating(e, t)) return true;
    for (const auto& s : sublayers_)
        if (s->isAnimating(t)) return true;
    return false;
}

double Layer::nextChangeTime(double t) const {
    if (model_.hidden) return never;
    double next = contentNextChangeTime(t);
    for (const Entry& e : animations_) {
        if (entryAnimating(e, t)) return t;
        if (e.begin > t) next = std::min(next, e.begin);
    }
    for (const auto& s : sublayers_) {
        next = std::min(next, s->nextChangeTime(t));
        if (next <= t) return t;
    }
    return next;
}

// ---- observation

void Layer::setChangeHandler(std::function<void()> handler) {
    changeHandler_ = std::move(handler);
}

void Layer::changed() {
    Layer* top = nullptr;
    uint64_t revision = newContentVersion();
    for (Layer* l = this; l; l = l->superlayer_) {
        l->subtreeRevision_ = revision;
        if (l->changeHandler_) top = l;
    }
    if (top) top->changeHandler_();
}

bool Layer::dependsOnTime() const {
    if (!animations_.empty() || contentDependsOnTime()) return true;
    for (const auto& s : sublayers_)
        if (s->dependsOnTime()) return true;
    return false;
}

void Layer::contentChanged() {
    contentVersion_ = newContentVersion();
    changed();
}

}  // namespace anim
