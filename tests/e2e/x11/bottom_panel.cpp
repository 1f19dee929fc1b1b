// A taskbar for the end-to-end tests: a dock window along the bottom of the screen (or of the
// part from x that is width wide: one monitor's) that reserves its height with a strut, so the
// window manager's work area (and Qt's available geometry) leaves it out; with --top, a panel
// along the top instead; with --hiding, one that reserves no room, as a panel that hides does
// while it is out. Solid colour, no content; runs until it is stopped.
// Usage: bottom_panel [--top] [--hiding] <height> <#rrggbb> [<x> <width>]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    bool top = false, hiding = false;
    for (; argc > 1 && argv[1][0] == '-'; --argc, ++argv) {
        top |= std::string(argv[1]) == "--top";
        hiding |= std::string(argv[1]) == "--hiding";
    }
    if ((argc != 3 && argc != 5) || argv[2][0] != '#') {
        std::fprintf(stderr, "usage: bottom_panel [--top] [--hiding] <height> <#rrggbb> [<x> <width>]\n");
        return 2;
    }
    const int height = std::atoi(argv[1]);
    const unsigned long rgb = std::strtoul(argv[2] + 1, nullptr, 16);
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy || height <= 0) {
        std::fprintf(stderr, "bottom_panel: no display or a bad height\n");
        return 2;
    }
    const int screen = DefaultScreen(dpy);
    const int x = argc == 5 ? std::atoi(argv[3]) : 0;
    const int width = argc == 5 ? std::atoi(argv[4]) : DisplayWidth(dpy, screen);
    const int y = top ? 0 : DisplayHeight(dpy, screen) - height;
    Window w = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), x, y, unsigned(width), unsigned(height), 0, 0, rgb);

    Atom type = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE", False);
    Atom dock = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(dpy, w, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&dock), 1);
    // left, right, top, bottom, then the start and end of each along its edge.
    long partial[12] = {0, 0, 0, height, 0, 0, 0, 0, 0, 0, x, x + width - 1};
    if (top) {
        partial[2] = height, partial[3] = 0;
        partial[8] = x, partial[9] = x + width - 1, partial[10] = partial[11] = 0;
    }
    if (!hiding) {
        XChangeProperty(dpy, w, XInternAtom(dpy, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(partial), 12);
        XChangeProperty(dpy, w, XInternAtom(dpy, "_NET_WM_STRUT", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(partial), 4);
    }
    // Without a user-given position the window manager would choose a place of its own.
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = x, hints.y = y, hints.width = width, hints.height = height;
    XSetWMNormalHints(dpy, w, &hints);
    XStoreName(dpy, w, top ? "tuftle-e2e-top-panel" : "tuftle-e2e-bottom-panel");
    XMapWindow(dpy, w);
    XFlush(dpy);
    std::printf("0x%lx\n", w);
    std::fflush(stdout);
    for (XEvent e;;) XNextEvent(dpy, &e);
}
