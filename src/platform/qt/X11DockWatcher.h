#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/Signal.h"
#include "platform/desktop/DockWindows.h"
#include "platform/qt/X11DockAreas.h"

namespace platform::qt {

// The taskbars of the X screen as the X server's events leave them. It watches the root window
// and every managed window's properties. Each client's window type and strut are read as it
// joins the client list (all newcomers in one round trip) and again when that property of its
// own changes; a client that leaves takes its strut along; the work area is read again when it
// or the current desktop changes. Nothing is read while nothing changes. One per process, made
// on first use, which comes after the QGuiApplication; it watches nothing off X11.
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
    void readClients(const std::vector<uint32_t>& windows, bool types, bool struts);
    void readWorkArea();
    void takeAreas();

    std::optional<X11DockAreas> areas_;
    std::optional<Rect> workArea_;
    Signal<> areasChanged_;
    DockWindows windows_;
    uint32_t root_ = 0;
    std::vector<uint32_t> rootAtoms_;   // the work area, the client list, the current desktop
    std::vector<uint32_t> strutAtoms_;  // _NET_WM_STRUT_PARTIAL, _NET_WM_STRUT
    uint32_t windowType_ = 0, dockType_ = 0;
};

}  // namespace platform::qt
