#include "platform/qt/X11TimeMark.h"

#include <QGuiApplication>
#include <QWidget>

#include "platform/qt/X11Display.h"

#include <xcb/xcb.h>

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform::qt {

X11TimeMark::~X11TimeMark() {
    stopListening();
}

void X11TimeMark::set(QWidget& window) {
    Display* dpy = qtX11Display();
    state_ = State::none;
    if (!dpy) return;
    window_ = uint32_t(window.winId());
    if (!atom_) atom_ = uint32_t(XInternAtom(dpy, "_TUFTLE_TIME_MARK", False));
    if (watched_ != window_) {
        // Qt's selection on its window is kept: added to, never replaced.
        XWindowAttributes attrs;
        if (!XGetWindowAttributes(dpy, window_, &attrs)) return;
        XSelectInput(dpy, window_, attrs.your_event_mask | PropertyChangeMask);
        watched_ = window_;
    }
    XChangeProperty(dpy, window_, atom_, XA_INTEGER, 32, PropModeAppend, nullptr, 0);
    XFlush(dpy);
    state_ = State::asked;
    if (!listening_ && qGuiApp) qGuiApp->installNativeEventFilter(this);
    listening_ = true;
}

bool X11TimeMark::madeAfter(unsigned long timestamp) const {
    if (state_ == State::none) return true;
    // The server's clock wraps after 49 days: the nearer way round counts.
    return state_ == State::known && int32_t(uint32_t(timestamp) - time_) > 0;
}

bool X11TimeMark::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (type != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    auto* property = static_cast<xcb_property_notify_event_t*>(message);
    if (state_ != State::asked || property->window != window_ || property->atom != atom_) return false;
    time_ = property->time;
    state_ = State::known;
    stopListening();
    return false;
}

void X11TimeMark::stopListening() {
    if (listening_ && qGuiApp) qGuiApp->removeNativeEventFilter(this);
    listening_ = false;
}

}  // namespace platform::qt
