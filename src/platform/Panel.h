#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/Geometry.h"

namespace anim {
class Layer;
}

namespace platform {

struct PanelMouseEvent {
    enum class Type { down, dragged, up };
    Type type = Type::down;
    // In the panel's coordinates: points, origin at its bottom-left, y up.
    Point location;
    // In global coordinates (y up).
    Point screenLocation;
    // Seconds on the monotonic clock of the event source.
    double timestamp = 0;
};

// A borderless floating panel that never takes focus and may stand partly or wholly off screen.
// It shows a layer tree, drawn in the panel's coordinates, and repaints by itself whenever the
// tree's presentation changes.
class Panel {
public:
    virtual ~Panel() = default;

    // Global coordinates, points, y up; the origin is the panel's bottom-left corner.
    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect& frame) = 0;
    virtual void setFrameOrigin(Point origin) = 0;

    // Shows the panel above other windows without activating it.
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    virtual bool isVisible() const = 0;

    virtual void setRootLayer(std::shared_ptr<anim::Layer> layer) = 0;
    virtual std::shared_ptr<anim::Layer> rootLayer() const = 0;

    // In panel coordinates: nothing outside is drawn or takes clicks. Nothing = the whole panel.
    virtual void setClipRect(std::optional<Rect> rect) = 0;
    virtual std::optional<Rect> clipRect() const = 0;

    // Clicks go through to whatever lies below.
    virtual void setIgnoresMouseEvents(bool ignores) = 0;
    virtual bool ignoresMouseEvents() const = 0;

    // `hitTest` says which panel points take a press (null: every drawn point); a press outside
    // goes to what lies below where the backend can arrange it, and is dropped otherwise. The
    // drags and the release of a taken press go to `onEvent`.
    virtual void setMouseHandlers(std::function<bool(Point)> hitTest,
                                  std::function<void(const PanelMouseEvent&)> onEvent) = 0;
};

class PanelFactory {
public:
    virtual ~PanelFactory() = default;
    // A new panel, not yet shown.
    virtual std::unique_ptr<Panel> createPanel(const Rect& frame) = 0;
};

}  // namespace platform
