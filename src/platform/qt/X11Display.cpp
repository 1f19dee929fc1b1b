#include "platform/qt/X11Display.h"

#include <X11/Xlib.h>

namespace platform::qt {

bool x11DisplayReachable() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}

}  // namespace platform::qt
