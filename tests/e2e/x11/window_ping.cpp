// Whether a program has caught up with its input, for the end-to-end tests: sends a
// _NET_WM_PING to one of its windows, as a window manager does, and waits for the answer, then
// does so once more. A Qt program answers a ping as it reads it, and hands the input it read
// before to its widgets before it reads on: after the second answer, all input sent to the
// program before the first ping has been handled, and what it asked of the X server is done.
// Usage: window_ping <window-id> <timeout-seconds>
// Ends with 0 once both answers came, 1 when one did not within the timeout, 2 on a bad call.
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

bool answered(Display* dpy, Window window, long stamp, Clock::time_point deadline) {
    const Window root = DefaultRootWindow(dpy);
    const Atom ping = XInternAtom(dpy, "_NET_WM_PING", False);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(ping);
    event.xclient.data.l[1] = stamp;
    event.xclient.data.l[2] = long(window);
    XSendEvent(dpy, window, False, NoEventMask, &event);
    XFlush(dpy);
    for (;;) {
        while (XPending(dpy)) {
            XNextEvent(dpy, &event);
            // The answer comes back to the root: the ping's own words with the root named.
            if (event.type == ClientMessage && event.xclient.window == root && Atom(event.xclient.data.l[0]) == ping &&
                event.xclient.data.l[1] == stamp && Window(event.xclient.data.l[2]) == window)
                return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
        poll(&fd, 1, int(left));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const Window window = argc == 3 ? std::strtoul(argv[1], nullptr, 0) : 0;
    const double seconds = argc == 3 ? std::atof(argv[2]) : 0;
    if (!window || seconds <= 0) {
        std::fprintf(stderr, "usage: window_ping <window-id> <timeout-seconds>\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "window_ping: no display\n");
        return 2;
    }
    // Qt answers to those that watch the root's own structure, others to those that watch its
    // children's.
    XSelectInput(dpy, DefaultRootWindow(dpy), StructureNotifyMask | SubstructureNotifyMask);
    const auto deadline = Clock::now() + std::chrono::milliseconds(long(seconds * 1000));
    for (const long stamp : {1L, 2L}) {
        if (!answered(dpy, window, stamp, deadline)) {
            std::fprintf(stderr, "window_ping: no answer to ping %ld from 0x%lx\n", stamp, window);
            return 1;
        }
    }
    return 0;
}
