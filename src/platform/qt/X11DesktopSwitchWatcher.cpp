#include "platform/qt/X11DesktopSwitchWatcher.h"

#include <xcb/xcb.h>
#include <QGuiApplication>

#include "platform/qt/X11Display.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>

namespace platform::qt {

X11DesktopSwitchWatcher::X11DesktopSwitchWatcher(NotificationCenter& center) : center_(center) {
    Display* dpy = qtX11Display();
    if (!dpy) return;
    root_ = uint32_t(DefaultRootWindow(dpy));
    currentDesktopAtom_ = uint32_t(XInternAtom(dpy, "_NET_CURRENT_DESKTOP", False));
    // The root's event selection is shared with Qt and the panels' stacking watch: add to it.
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(dpy, root_, &attrs)) return;
    XSelectInput(dpy, root_, attrs.your_event_mask | PropertyChangeMask);
    XFlush(dpy);
    qGuiApp->installNativeEventFilter(this);
}

X11DesktopSwitchWatcher::~X11DesktopSwitchWatcher() {
    if (qGuiApp) qGuiApp->removeNativeEventFilter(this);
}

bool X11DesktopSwitchWatcher::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (type != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    auto* property = static_cast<xcb_property_notify_event_t*>(message);
    if (property->window == root_ && property->atom == currentDesktopAtom_)
        center_.post(notifications::activeSpaceDidChange);
    return false;
}

}  // namespace platform::qt
