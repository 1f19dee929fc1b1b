#include "platform/qt/X11Display.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <utility>

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>

namespace platform::qt {

bool x11DisplayReachable() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}

Display* qtX11Display() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

void flushBeforeSleep(Display* dpy) {
    static bool pending = false;
    static bool connected = false;
    if (!connected) {
        auto* dispatcher = QAbstractEventDispatcher::instance();
        if (!dispatcher) return void(XFlush(dpy));
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [] {
            if (!std::exchange(pending, false)) return;
            if (Display* d = qtX11Display()) XFlush(d);
        });
        connected = true;
    }
    pending = true;
}

}  // namespace platform::qt
