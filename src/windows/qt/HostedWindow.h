#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Window.h"

class QWidget;

namespace platform::qt {
class QtWindow;
}

namespace windows::qt {

// A titled window of ours whose whole content is one view; the window calls go to the Qt window.
class HostedWindow : public platform::Window {
public:
    HostedWindow(const std::string& title, platform::Size contentSize);
    ~HostedWindow() override;

    std::string title() const override;
    void setTitle(const std::string& title) override;
    platform::Size contentSize() const override;
    void center() override;
    void makeKeyAndOrderFront() override;
    void close() override;
    void orderOut() override;
    bool isVisible() const override;
    void setOnClosed(std::function<void()> handler) override;

    QWidget* widget() const;

protected:
    // Fills the window with `view`, which the window then owns.
    void host(QWidget* view);
    // For a view that scrolls its own parts: see QtWindow::letContentFollowHeight.
    void letViewFollowHeight();

private:
    std::unique_ptr<platform::qt::QtWindow> window_;
};

}  // namespace windows::qt
