#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Geometry.h"

namespace platform {

// Window layers, ordered as the window server stacks them: a higher layer is always above a
// lower one. Only `normal` windows are ordinary application windows.
namespace windowLayer {
inline constexpr int below = -20;   // kept below the others
inline constexpr int normal = 0;    // ordinary and dialog windows
inline constexpr int floating = 3;  // kept above, utility palettes, toolbars, splash screens
inline constexpr int dock = 20;     // panels and taskbars
inline constexpr int popUp = 101;   // menus, tooltips, notifications
}  // namespace windowLayer

// One on-screen window of any program.
struct WindowInfo {
    // The window system's number for the window; stays the same while the window lives.
    uint32_t number = 0;
    // The process that owns the window; nullopt when the window does not say.
    std::optional<int32_t> ownerPid;
    int layer = windowLayer::normal;
    // The outer frame, top-left based: origin at the top-left corner of the primary screen,
    // y growing downward, in points.
    Rect bounds;
    // The window manager shows the window full screen.
    bool isFullScreen = false;

    friend bool operator==(const WindowInfo&, const WindowInfo&) = default;
};

// The windows of every program on the desktop. Main thread only.
class WindowList {
public:
    virtual ~WindowList() = default;
    // The windows now on screen, front to back, without desktop elements (the desktop
    // background and its icons). nullopt when the window system cannot be asked.
    virtual std::optional<std::vector<WindowInfo>> onScreenWindows() = 0;
    // The process of the application the user works in (the owner of the active window);
    // nullopt when there is none or it cannot be told.
    virtual std::optional<int32_t> frontmostApplicationPid() = 0;
};

}  // namespace platform
