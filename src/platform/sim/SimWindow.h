#pragma once

#include <memory>
#include <vector>

#include "platform/Window.h"

namespace platform::sim {

// A window that only remembers: tests read its title, size and visibility back, and press its
// close button with `clickCloseButton`.
class SimWindow final : public Window {
public:
    SimWindow(std::string title, Size contentSize) : title_(std::move(title)), contentSize_(contentSize) {}

    std::string title() const override { return title_; }
    void setTitle(const std::string& title) override { title_ = title; }
    Size contentSize() const override { return contentSize_; }
    void center() override { ++centerCount; }
    void makeKeyAndOrderFront() override {
        visible_ = true;
        ++orderFrontCount;
    }
    void close() override;
    void orderOut() override { visible_ = false; }
    bool isVisible() const override { return visible_; }
    void setOnClosed(std::function<void()> handler) override { onClosed_ = std::move(handler); }

    // The user closes the window with its close button.
    void clickCloseButton() { close(); }

    int centerCount = 0;
    int orderFrontCount = 0;
    // Expires with the window.
    std::shared_ptr<bool> lifetime = std::make_shared<bool>(true);

private:
    std::string title_;
    Size contentSize_;
    bool visible_ = false;
    std::function<void()> onClosed_;
};

class SimWindowFactory final : public WindowFactory {
public:
    std::unique_ptr<Window> createWindow(const std::string& title, Size contentSize) override;
    size_t createdCount() const { return created_.size(); }
    // The window made `index`-th, or null when it is gone.
    SimWindow* window(size_t index) const;

private:
    std::vector<std::pair<SimWindow*, std::weak_ptr<bool>>> created_;
};

}  // namespace platform::sim
