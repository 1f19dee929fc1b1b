#include "platform/qt/X11IdleTime.h"

#include <QGuiApplication>

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace platform::qt {

std::optional<double> X11IdleTime::secondsSinceLastInput() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return std::nullopt;
    if (!available_) {
        int eventBase = 0, errorBase = 0;
        available_ = XScreenSaverQueryExtension(display, &eventBase, &errorBase) != 0;
    }
    if (!*available_) return std::nullopt;
    XScreenSaverInfo info{};
    if (!XScreenSaverQueryInfo(display, DefaultRootWindow(display), &info)) return std::nullopt;
    return double(info.idle) / 1000.0;
}

}  // namespace platform::qt
