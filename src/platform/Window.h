#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Geometry.h"

namespace platform {

// An ordinary titled window of ours (onboarding and the like): it can be closed but not
// minimised or resized, and closing only hides it, so it can be shown again.
class Window {
public:
    virtual ~Window() = default;

    virtual std::string title() const = 0;
    virtual void setTitle(const std::string& title) = 0;
    // Points, without the title bar.
    virtual Size contentSize() const = 0;
    // Centres the window on the screen the user works on.
    virtual void center() = 0;
    // Shows the window above every other one and gives it the keyboard, also while another
    // program is active.
    virtual void makeKeyAndOrderFront() = 0;
    // Hides the window; it stays usable.
    virtual void close() = 0;
    // Puts the window out of sight without closing it: its content stays as it is and the
    // closed handler is not called, so the next makeKeyAndOrderFront shows it unchanged.
    virtual void orderOut() = 0;
    virtual bool isVisible() const = 0;
    // Called after the window was closed, by its close button or by close().
    virtual void setOnClosed(std::function<void()> handler) = 0;
};

class WindowFactory {
public:
    virtual ~WindowFactory() = default;
    // A new window, not yet shown.
    virtual std::unique_ptr<Window> createWindow(const std::string& title, Size contentSize) = 0;
};

}  // namespace platform
