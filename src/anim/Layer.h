#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "anim/Animation.h"
#include "anim/Image.h"
#include "anim/KeyPath.h"
#include "anim/LayerState.h"

namespace platform {
class Timer;
}

namespace anim {

enum class LayerKind { plain, shape, text, emitter };

// How image contents fill the bounds.
enum class ContentsGravity {
    center,
    top,
    bottom,
    left,
    right,
    topLeft,
    topRight,
    bottomLeft,
    bottomRight,
    resize,
    resizeAspect,
    resizeAspectFill
};

enum class ScalingFilter { nearest, linear, trilinear };

// A node of the drawing tree. It keeps model values (what the program set) and the animations
// added to it; presentation(t) gives what is on screen at media time t. Coordinates are y up:
// a layer's bounds are its own coordinate space, its anchor point (a fraction of the bounds)
// sits at `position` in the superlayer's space, and the transform acts about the anchor point.
// Sublayers draw in order, later ones on top. Main thread only.
class Layer {
public:
    static constexpr double never = std::numeric_limits<double>::infinity();

    Layer();
    virtual ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    static std::shared_ptr<Layer> make() { return std::make_shared<Layer>(); }
    virtual LayerKind kind() const { return LayerKind::plain; }

    // For debugging and tests only.
    std::string name;

    // Tree. Adding a layer that has a superlayer moves it.
    void addSublayer(std::shared_ptr<Layer> layer);
    void insertSublayer(std::shared_ptr<Layer> layer, size_t index);
    void removeFromSuperlayer();
    Layer* superlayer() const { return superlayer_; }
    const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }

    // Geometry. Changes of position, bounds, transform and opacity animate implicitly as the
    // current Transaction says (only on a layer with a superlayer).
    Point position() const { return model_.position; }
    void setPosition(Point p);
    Rect bounds() const { return model_.bounds; }
    void setBounds(const Rect& r);
    Point anchorPoint() const { return model_.anchorPoint; }
    void setAnchorPoint(Point p);
    // The bounds as the superlayer sees them (the box around them when transformed). Setting it
    // sets the bounds size and the position, keeping the bounds origin.
    Rect frame() const;
    void setFrame(const Rect& r);
    Transform transform() const { return model_.transform; }
    void setTransform(const Transform& t);
    Transform affineTransform() const { return model_.transform; }
    void setAffineTransform(const Transform& t) { setTransform(t); }

    // Look.
    double opacity() const { return model_.opacity; }
    void setOpacity(double o);
    bool isHidden() const { return model_.hidden; }
    void setHidden(bool h);
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool m);
    Color backgroundColor() const { return model_.backgroundColor; }
    void setBackgroundColor(Color c);
    // A blend mode for the layer over what lies below, such as "screenBlendMode"; empty for normal.
    const std::string& compositingFilter() const { return compositingFilter_; }
    void setCompositingFilter(std::string filter);
    Color shadowColor() const { return model_.shadowColor; }
    void setShadowColor(Color c);
    double shadowOpacity() const { return model_.shadowOpacity; }
    void setShadowOpacity(double o);
    double shadowRadius() const { return model_.shadowRadius; }
    void setShadowRadius(double r);
    Size shadowOffset() const { return model_.shadowOffset; }
    void setShadowOffset(Size s);
    double contentsScale() const { return contentsScale_; }
    void setContentsScale(double s);
    const std::shared_ptr<const Image>& contents() const { return contents_; }
    void setContents(std::shared_ptr<const Image> image);
    ContentsGravity contentsGravity() const { return contentsGravity_; }
    void setContentsGravity(ContentsGravity g);
    ScalingFilter minificationFilter() const { return minificationFilter_; }
    void setMinificationFilter(ScalingFilter f);
    ScalingFilter magnificationFilter() const { return magnificationFilter_; }
    void setMagnificationFilter(ScalingFilter f);

    const LayerState& model() const { return model_; }

    // Animations, by key. Adding under a key that is running replaces that animation; an empty
    // key never replaces. An animation whose key path or values do not fit is not added.
    void addAnimation(const Animation& animation, const std::string& key);
    void removeAnimation(const std::string& key);
    void removeAllAnimations();
    // The animation under `key` while it is attached (one removed on completion is gone once
    // its active time has passed), else null.
    const Animation* animation(const std::string& key) const;
    std::vector<std::string> animationKeys() const;
    // Every animation still held, finished or not, keyed or not. For tests of what piles up.
    size_t heldAnimationCount() const;

    // What is on screen at media time t: the model value, then every animation that shows
    // something at t, in the order they were added. A pure function of t.
    LayerState presentation(double t) const { return presented(t); }
    // The same without a copy, for walks over the tree: valid until the layer changes or is
    // asked about another time.
    const LayerState& presented(double t) const;
    // Whether anything in this subtree changes over time at t.
    bool isAnimating(double t) const;
    // The earliest time from t on at which something in this subtree may start to change:
    // t while animating, else the next begin time, else `never`.
    double nextChangeTime(double t) const;

    // Called after any change of this tree's model or animations, so the one who draws the tree
    // knows to look again. Only the handler of the topmost layer that has one is called.
    void setChangeHandler(std::function<void()> handler);
    // Changes whenever something not described by presentation() changes (a path, a string, an
    // image, the tree's order); unique across layers.
    uint64_t contentVersion() const { return contentVersion_; }
    // Changes whenever anything in this subtree changes; unique across layers.
    uint64_t subtreeRevision() const { return subtreeRevision_; }
    // Whether anything in this subtree depends on time at all (animations, even finished ones
    // not yet removed, or emitted particles). When not, the subtree looks the same until its
    // revision changes.
    bool dependsOnTime() const;

protected:
    // Notifies the tree's handler.
    void changed();
    // A change to what the layer draws that presentation() does not show.
    void contentChanged();
    virtual bool contentIsAnimating(double) const { return false; }
    virtual double contentNextChangeTime(double) const { return never; }
    virtual bool contentDependsOnTime() const { return false; }
    LayerState& mutableModel() { return model_; }

    // Sets a non-animatable model field, notifying when it changed.
    template <typename T>
    void setField(T LayerState::*field, const T& value) {
        if (model_.*field == value) return;
        model_.*field = value;
        changed();
    }

private:
    struct Entry;

    template <typename T>
    void setImplicitly(KeyPath::Property property, T LayerState::*field, const T& value);
    void purgeFinished(double now);
    void finishEntry(uint64_t serial);
    static bool isFinished(const Entry& e, double t);
    static bool entryAnimating(const Entry& e, double t);

    Layer* superlayer_ = nullptr;
    std::vector<std::shared_ptr<Layer>> sublayers_;
    LayerState model_;
    bool masksToBounds_ = false;
    std::string compositingFilter_;
    double contentsScale_ = 1;
    std::shared_ptr<const Image> contents_;
    ContentsGravity contentsGravity_ = ContentsGravity::resize;
    ScalingFilter minificationFilter_ = ScalingFilter::linear;
    ScalingFilter magnificationFilter_ = ScalingFilter::linear;
    std::vector<Entry> animations_;
    // The last presentation worked out: deciding on a frame and painting it ask for the same
    // time several times over.
    struct Presented {
        double t = never;
        uint64_t revision = 0;
        LayerState state;
    };
    mutable Presented presented_;
    uint64_t nextSerial_ = 0;
    uint64_t contentVersion_;
    uint64_t subtreeRevision_;
    std::function<void()> changeHandler_;
    // Completion steps posted to the main loop hold this weakly.
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

}  // namespace anim
