#pragma once

#include <memory>
#include <vector>

#include "platform/Panel.h"

namespace platform::sim {

// A panel that only remembers: tests read its frame, visibility and layer tree back, and press
// on it with `sendMouse`.
class SimPanel final : public Panel {
public:
    explicit SimPanel(const Rect& frame) : frame_(frame) {}

    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override { frame_ = frame; }
    void setFrameOrigin(Point origin) override { frame_.origin = origin; }
    void orderFront() override { visible_ = true, ++orderFrontCount; }
    void orderOut() override { visible_ = false; }
    bool isVisible() const override { return visible_; }
    void setRootLayer(std::shared_ptr<anim::Layer> layer) override { root_ = std::move(layer); }
    std::shared_ptr<anim::Layer> rootLayer() const override { return root_; }
    void setClipRect(std::optional<Rect> rect) override { clip_ = rect; }
    std::optional<Rect> clipRect() const override { return clip_; }
    void setIgnoresMouseEvents(bool ignores) override { ignoresMouse_ = ignores; }
    bool ignoresMouseEvents() const override { return ignoresMouse_; }
    void setMouseHandlers(std::function<bool(Point)> hitTest,
                          std::function<void(const PanelMouseEvent&)> onEvent) override {
        hitTest_ = std::move(hitTest), onEvent_ = std::move(onEvent);
    }

    // Delivers a mouse event at a panel point as the real panel would: a press is taken only
    // on a visible panel that takes clicks, inside the clip and the hit test; drags and the
    // release follow a taken press. Returns whether the event was delivered.
    bool sendMouse(PanelMouseEvent::Type type, Point location, double timestamp = 0);

    int orderFrontCount = 0;
    // Expires with the panel.
    std::shared_ptr<bool> lifetime = std::make_shared<bool>(true);

private:
    Rect frame_;
    bool visible_ = false;
    std::shared_ptr<anim::Layer> root_;
    std::optional<Rect> clip_;
    bool ignoresMouse_ = false;
    bool pressed_ = false;
    std::function<bool(Point)> hitTest_;
    std::function<void(const PanelMouseEvent&)> onEvent_;
};

class SimPanelFactory final : public PanelFactory {
public:
    std::unique_ptr<Panel> createPanel(const Rect& frame) override;
    size_t createdCount() const { return created_.size(); }
    // The panel made `index`-th, or null when it is gone.
    SimPanel* panel(size_t index) const;

private:
    std::vector<std::pair<SimPanel*, std::weak_ptr<bool>>> created_;
};

}  // namespace platform::sim
