#include "platform/qt/CompositorProbe.h"

#include <chrono>
#include <cstdio>

#include <X11/Xlib.h>

namespace platform::qt {

bool compositorRunning(Display* dpy) {
    static auto lastCheck = std::chrono::steady_clock::time_point{};
    static bool running = false;
    auto now = std::chrono::steady_clock::now();
    if (lastCheck != std::chrono::steady_clock::time_point{} && now - lastCheck < std::chrono::seconds(5))
        return running;
    lastCheck = now;
    static Atom selection = [dpy] {
        char name[32];
        std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", DefaultScreen(dpy));
        return XInternAtom(dpy, name, False);
    }();
    running = XGetSelectionOwner(dpy, selection) != 0;
    return running;
}

}  // namespace platform::qt
