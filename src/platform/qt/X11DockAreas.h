#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/desktop/DockStruts.h"

namespace platform::qt {

// What the taskbars keep of the X screen, in X pixels: the struts of the managed windows and
// the window manager's work area on the current desktop.
struct X11DockAreas {
    Size screen;
    std::vector<DockStrut> struts;
    std::optional<Rect> workArea;
    friend bool operator==(const X11DockAreas&, const X11DockAreas&) = default;
};

// Read over Qt's X connection; nullopt off X11.
std::optional<X11DockAreas> readDockAreas();

// The managed dock windows (panels, taskbars) shown now, in X pixels: a panel that hides
// reserves no strut, and only its window says where it is while it is out. Read in a few
// batched round trips over Qt's X connection; empty off X11.
std::vector<Rect> readShownDocks();

// Calls `changed` when a taskbar comes, goes or changes its strut, or the work area changes:
// watches the root window and every managed window's properties. Does nothing off X11.
class X11DockWatcher final : public QAbstractNativeEventFilter {
public:
    explicit X11DockWatcher(std::function<void()> changed);
    ~X11DockWatcher() override;
    X11DockWatcher(const X11DockWatcher&) = delete;
    X11DockWatcher& operator=(const X11DockWatcher&) = delete;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

private:
    void watchClients();

    std::function<void()> changed_;
    uint32_t root_ = 0;
    std::vector<uint32_t> rootAtoms_;   // the work area, the client list, the current desktop
    std::vector<uint32_t> strutAtoms_;  // _NET_WM_STRUT_PARTIAL, _NET_WM_STRUT
    std::vector<uint32_t> clients_;     // watched already
};

}  // namespace platform::qt
