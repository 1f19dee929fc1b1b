#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/Signal.h"
#include "platform/desktop/DockStruts.h"
#include "platform/desktop/DockWindows.h"

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
// reserves no strut, and only its window says where it is while it is out. Only the docks the
// dock watcher knows are asked about, in one batched round trip; empty off X11.
std::vector<Rect> readShownDocks();

// The taskbars of the X screen as the X server's events leave them. It watches the root window
// and every managed window's properties: the struts and the work area are read again when a
// taskbar comes, goes or changes its strut, or the work area changes, and each client's window
// type once as it joins the client list and again when it changes. Nothing is read while
// nothing changes. One per process, made on first use, which comes after the QGuiApplication;
// it watches nothing off X11.
class X11DockWatcher final : public QAbstractNativeEventFilter {
public:
    static X11DockWatcher& shared();
    ~X11DockWatcher() override;
    X11DockWatcher(const X11DockWatcher&) = delete;
    X11DockWatcher& operator=(const X11DockWatcher&) = delete;

    // What the taskbars keep, as last read; nullopt off X11.
    const std::optional<X11DockAreas>& areas() const { return areas_; }
    // `changed` runs after areas() changed.
    [[nodiscard]] Subscription onAreasChange(std::function<void()> changed) {
        return areasChanged_.subscribe(std::move(changed));
    }
    // The dock windows among the clients shown now, in X pixels.
    std::vector<Rect> shownDocks() const;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

private:
    X11DockWatcher();
    void watchClients();
    void readTypes(const std::vector<uint32_t>& windows);
    void readAreas();

    std::optional<X11DockAreas> areas_;
    Signal<> areasChanged_;
    DockWindows windows_;
    uint32_t root_ = 0;
    std::vector<uint32_t> rootAtoms_;   // the work area, the client list, the current desktop
    std::vector<uint32_t> strutAtoms_;  // _NET_WM_STRUT_PARTIAL, _NET_WM_STRUT
    uint32_t windowType_ = 0, dockType_ = 0;
};

}  // namespace platform::qt
