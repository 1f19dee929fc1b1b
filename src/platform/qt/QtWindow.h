#pragma once

#include <QPointer>

#include "platform/Window.h"

class QWidget;

namespace platform::qt {

// A titled top-level QWidget with a close button only and a fixed content size. The window is as
// large as its content, or as the work area of its screen where that is smaller, and scrolls the
// content then; it is sized again on each screen it is moved to.
class QtWindow final : public Window {
public:
    QtWindow(const std::string& title, Size contentSize);
    ~QtWindow() override;

    std::string title() const override;
    void setTitle(const std::string& title) override;
    Size contentSize() const override;
    void center() override;
    void makeKeyAndOrderFront() override;
    void close() override;
    void orderOut() override;
    bool isVisible() const override;
    void setOnClosed(std::function<void()> handler) override;

    // Where the window's content goes.
    QWidget* contentWidget() const;
    // For content that scrolls itself: a window shorter than the content gives it the window's
    // height, down to the minimum its layout needs, and scrolls it only below that, so that no
    // two scroll bars stand side by side; width the window keeps for a bar it then does not
    // show goes to the content too.
    void letContentFollowHeight();

private:
    class Widget;
    QPointer<Widget> widget_;
};

class QtWindowFactory final : public WindowFactory {
public:
    std::unique_ptr<Window> createWindow(const std::string& title, Size contentSize) override;
};

}  // namespace platform::qt
