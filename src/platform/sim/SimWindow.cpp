#include "platform/sim/SimWindow.h"

namespace platform::sim {

void SimWindow::close() {
    if (!visible_) return;
    visible_ = false;
    // A copy: the handler may let go of the window.
    if (auto handler = onClosed_) handler();
}

std::unique_ptr<Window> SimWindowFactory::createWindow(const std::string& title, Size contentSize) {
    auto window = std::make_unique<SimWindow>(title, contentSize);
    created_.emplace_back(window.get(), window->lifetime);
    return window;
}

SimWindow* SimWindowFactory::window(size_t index) const {
    if (index >= created_.size() || created_[index].second.expired()) return nullptr;
    return created_[index].first;
}

}  // namespace platform::sim
