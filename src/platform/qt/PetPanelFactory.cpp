#include "platform/qt/PetPanelFactory.h"

#include "platform/qt/PetPanelWindow.h"

namespace platform::qt {
namespace {

class QtPanel final : public Panel {
public:
    explicit QtPanel(const Rect& frame) : window_(new PetPanelWindow(frame)) {}
    ~QtPanel() override {
        // The window may be inside one of its own event handlers: let Qt delete it afterwards.
        window_->setMouseHandlers({}, {});
        window_->orderOut();
        window_->setRootLayer(nullptr);
        window_->deleteLater();
    }

    Rect frame() const override { return window_->frame(); }
    void setFrame(const Rect& frame) override { window_->setFrame(frame); }
    void setFrameOrigin(Point origin) override { window_->setFrameOrigin(origin); }
    void orderFront() override { window_->orderFront(); }
    void orderOut() override { window_->orderOut(); }
    bool isVisible() const override { return window_->isVisible(); }
    void setRootLayer(std::shared_ptr<anim::Layer> layer) override { window_->setRootLayer(std::move(layer)); }
    std::shared_ptr<anim::Layer> rootLayer() const override { return window_->rootLayer(); }
    void setClipRect(std::optional<Rect> rect) override { window_->setClipRect(rect); }
    std::optional<Rect> clipRect() const override { return window_->clipRect(); }
    void setIgnoresMouseEvents(bool ignores) override { window_->setIgnoresMouseEvents(ignores); }
    bool ignoresMouseEvents() const override { return window_->ignoresMouseEvents(); }
    void setMouseHandlers(std::function<bool(Point)> hitTest,
                          std::function<void(const PanelMouseEvent&)> onEvent) override {
        window_->setMouseHandlers(std::move(hitTest), std::move(onEvent));
    }

private:
    PetPanelWindow* window_;
};

}  // namespace

std::unique_ptr<Panel> PetPanelFactory::createPanel(const Rect& frame) {
    return std::make_unique<QtPanel>(frame);
}

}  // namespace platform::qt
