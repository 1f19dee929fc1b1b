#pragma once

#include <memory>

#include "platform/WindowList.h"

namespace platform::qt {

// The window list of an EWMH window manager, read over an X connection of its own that is
// opened on first use. Windows are the managed clients (_NET_CLIENT_LIST_STACKING), so
// override-redirect windows such as our pet panels are never in it. The front application is
// the owner of _NET_ACTIVE_WINDOW by its _NET_WM_PID; a window without one is listed without an
// owner. Bounds are what shows: the window manager's frame (_NET_FRAME_EXTENTS), or a window
// that draws its own decorations less its invisible margins (_GTK_FRAME_EXTENTS). What was
// read is kept and read again only after X events say it changed (the root's stacking list
// and active window, each managed window's and its frame's structure and properties), so
// asking costs no round trip while the desktop is still. Windows that go away while the list is read are left out; a broken
// connection gives nullopt and is opened afresh on the next call.
class X11WindowList final : public WindowList {
public:
    X11WindowList();
    ~X11WindowList() override;
    X11WindowList(const X11WindowList&) = delete;
    X11WindowList& operator=(const X11WindowList&) = delete;

    std::optional<std::vector<WindowInfo>> onScreenWindows() override;
    std::optional<int32_t> frontmostApplicationPid() override;

private:
    class Connection;
    Connection* connection();
    std::unique_ptr<Connection> connection_;
};

}  // namespace platform::qt
