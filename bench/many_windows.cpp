// Small ordinary windows for bench/idle-cost to measure what other programs' windows cost
// the pets: each with a title and a process id, spread over the screen; runs until stopped.
// With a rate, one more window opens and closes that many times a second (bench/window-churn).
// Usage: many_windows <count> [opened-and-closed-per-second]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    const int count = argc == 2 || argc == 3 ? std::atoi(argv[1]) : -1;
    const double rate = argc == 3 ? std::atof(argv[2]) : 0;
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy || count < 0 || rate < 0) {
        std::fprintf(stderr,
                     "usage: many_windows <count> [opened-and-closed-per-second] (with a reachable X display)\n");
        return 2;
    }
    const int screen = DefaultScreen(dpy);
    const Atom pidAtom = XInternAtom(dpy, "_NET_WM_PID", False);
    const unsigned long pid = static_cast<unsigned long>(::getpid());
    const auto open = [&](int i) {
        const int x = 40 + (i % 5) * 220, y = 60 + (i / 5) * 160;
        Window w = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), x, y, 200, 120, 0, 0,
                                       0x303030 + 0x0a0a0a * unsigned(i % 8));
        const std::string title = "bench window " + std::to_string(i + 1);
        XStoreName(dpy, w, title.c_str());
        XChangeProperty(dpy, w, pidAtom, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid),
                        1);
        XMapWindow(dpy, w);
        return w;
    };
    for (int i = 0; i < count; ++i) open(i);
    XFlush(dpy);
    std::printf("shown\n");
    std::fflush(stdout);
    if (rate > 0) {
        const auto half = std::chrono::duration<double>(0.5 / rate);
        for (auto next = std::chrono::steady_clock::now();;) {
            const Window w = open(count);
            XFlush(dpy);
            std::this_thread::sleep_until(next += std::chrono::duration_cast<std::chrono::nanoseconds>(half));
            XDestroyWindow(dpy, w);
            XFlush(dpy);
            std::this_thread::sleep_until(next += std::chrono::duration_cast<std::chrono::nanoseconds>(half));
            while (XPending(dpy)) {
                XEvent event;
                XNextEvent(dpy, &event);
            }
        }
    }
    for (XEvent event;;) XNextEvent(dpy, &event);
}
