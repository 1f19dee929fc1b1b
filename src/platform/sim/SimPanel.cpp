#include "platform/sim/SimPanel.h"

#include "platform/desktop/PanelPress.h"

namespace platform::sim {

bool SimPanel::sendMouse(PanelMouseEvent::Type type, Point location, double timestamp) {
    if (type == PanelMouseEvent::Type::down) {
        bool inside = location.x >= 0 && location.y >= 0 && location.x < frame_.width() && location.y < frame_.height();
        if (!visible_ || !inside || !panelTakesPress(location, ignoresMouse_, clip_, hitTest_)) return false;
        pressed_ = true;
    } else if (!pressed_) {
        return false;
    }
    if (type == PanelMouseEvent::Type::up) pressed_ = false;
    PanelMouseEvent event{type, location, {frame_.origin.x + location.x, frame_.origin.y + location.y}, timestamp};
    if (onEvent_) onEvent_(event);
    return true;
}

std::unique_ptr<Panel> SimPanelFactory::createPanel(const Rect& frame) {
    auto panel = std::make_unique<SimPanel>(frame);
    created_.emplace_back(panel.get(), panel->lifetime);
    return panel;
}

SimPanel* SimPanelFactory::panel(size_t index) const {
    if (index >= created_.size() || created_[index].second.expired()) return nullptr;
    return created_[index].first;
}

}  // namespace platform::sim
