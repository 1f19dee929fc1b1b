// Another program that already keeps many windows when the pets come, for test_crowded_desktop.sh.
// In this order it shows three ordinary windows, makes a popup menu (override-redirect, not yet
// mapped) and <hidden> hidden windows: most never mapped, a tenth mapped and then withdrawn, a
// tenth mapped and then minimized. So the popup lies below all the hidden ones, and they above
// whatever the window manager keeps below its own windows. Once the window manager has taken
// them all as asked it prints "popup <id>", "shown <id>..." and "ready", then obeys lines on its
// standard input, each answered with a line once the X server has done it:
//   raise   raises the next of its shown windows, in turn ("raised <id>", once its frame lies
//           above the other two)
//   popup   maps the popup where it was made, without raising it, as some toolkits open a
//           popup they keep ("popped")
//   close   unmaps the popup ("closed")
// Usage: crowded_client <hidden>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

Display* dpy = nullptr;
Window root = 0;

// Polls until the condition holds; ends the program when the window manager never gets there.
void waitFor(const char* what, const std::function<bool()>& condition) {
    using namespace std::chrono;
    for (const auto end = steady_clock::now() + seconds(10); !condition();) {
        if (steady_clock::now() > end) {
            std::printf("crowded_client: timed out waiting for %s\n", what);
            std::exit(1);
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
}

Window parentOf(Window w) {
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, w, &rootReturn, &parent, &children, &count)) return 0;
    if (children) XFree(children);
    return parent;
}

// The root's children, bottom first.
std::vector<Window> stack() {
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, root, &rootReturn, &parent, &children, &count)) return {};
    std::vector<Window> out(children, children + count);
    if (children) XFree(children);
    return out;
}

long wmState(Window w) {
    const Atom wmStateAtom = XInternAtom(dpy, "WM_STATE", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    long state = -1;
    if (XGetWindowProperty(dpy, w, wmStateAtom, 0, 2, False, wmStateAtom, &type, &format, &items, &after, &data) ==
            Success &&
        data && items > 0 && format == 32)
        state = reinterpret_cast<long*>(data)[0];
    if (data) XFree(data);
    return state;
}

Window ordinaryWindow(int x, int y, unsigned long colour, const std::string& title) {
    const Window w = XCreateSimpleWindow(dpy, root, x, y, 260, 180, 0, 0, colour);
    XStoreName(dpy, w, title.c_str());
    // Where it asks: the window manager places it there instead of where it likes.
    XSizeHints hints{};
    hints.flags = USPosition;
    hints.x = x, hints.y = y;
    XSetWMNormalHints(dpy, w, &hints);
    return w;
}

void waitForFrames(const std::vector<Window>& windows) {
    waitFor("the window manager to frame the windows", [&] {
        for (Window w : windows)
            if (parentOf(w) == root) return false;
        return true;
    });
}

}  // namespace

int main(int argc, char** argv) {
    const int hidden = argc == 2 ? std::atoi(argv[1]) : -1;
    dpy = XOpenDisplay(nullptr);
    if (!dpy || hidden < 10) {
        std::fprintf(stderr, "usage: crowded_client <hidden, 10 or more> (with a reachable X display)\n");
        return 2;
    }
    root = DefaultRootWindow(dpy);

    std::vector<Window> shown;
    for (int i = 0; i < 3; ++i) {
        shown.push_back(ordinaryWindow(80 + 160 * i, 80 + 60 * i, 0x305070 + 0x201000 * unsigned(i),
                                       "shown window " + std::to_string(i + 1)));
        XMapWindow(dpy, shown.back());
    }
    waitForFrames(shown);
    waitFor("the shown windows", [&] {
        for (Window w : shown) {
            XWindowAttributes a;
            if (!XGetWindowAttributes(dpy, w, &a) || a.map_state != IsViewable) return false;
        }
        return true;
    });

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = 0xe0e0e0;
    const Window popup = XCreateWindow(dpy, root, 300, 200, 180, 260, 0, CopyFromParent, InputOutput, CopyFromParent,
                                       CWOverrideRedirect | CWBackPixel, &attributes);
    Atom menu = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
    XChangeProperty(dpy, popup, XInternAtom(dpy, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&menu), 1);

    std::vector<Window> withdrawn, minimized;
    for (int i = 0; i < hidden; ++i) {
        const Window w = ordinaryWindow(40 + i % 20 * 10, 40 + i / 20 * 10, 0x404040, "hidden " + std::to_string(i));
        if (i % 10 == 1)
            withdrawn.push_back(w);
        else if (i % 10 == 2)
            minimized.push_back(w);
    }
    for (Window w : withdrawn) XMapWindow(dpy, w);
    for (Window w : minimized) XMapWindow(dpy, w);
    waitForFrames(withdrawn);
    waitForFrames(minimized);
    for (Window w : withdrawn) XWithdrawWindow(dpy, w, DefaultScreen(dpy));
    for (Window w : minimized) XIconifyWindow(dpy, w, DefaultScreen(dpy));
    waitFor("the withdrawn windows back on the root", [&] {
        for (Window w : withdrawn)
            if (parentOf(w) != root) return false;
        return true;
    });
    waitFor("the minimized windows", [&] {
        for (Window w : minimized)
            if (wmState(w) != IconicState) return false;
        return true;
    });

    std::printf("popup 0x%lx\nshown", popup);
    for (Window w : shown) std::printf(" 0x%lx", w);
    std::printf("\nready\n");
    std::fflush(stdout);

    size_t next = 0;
    for (std::string line; std::getline(std::cin, line);) {
        if (line == "raise") {
            const Window w = shown[next++ % shown.size()];
            XRaiseWindow(dpy, w);
            XSync(dpy, False);
            waitFor("the raised window on top of the others", [&] {
                std::vector<Window> frames;
                for (Window s : shown) frames.push_back(parentOf(s));
                const std::vector<Window> all = stack();
                size_t top = 0;
                for (size_t i = 0; i < all.size(); ++i)
                    for (Window f : frames)
                        if (all[i] == f) top = i;
                return all.size() > top && all[top] == parentOf(w);
            });
            std::printf("raised 0x%lx\n", w);
        } else if (line == "popup" || line == "close") {
            if (line == "popup")
                XMapWindow(dpy, popup);
            else
                XUnmapWindow(dpy, popup);
            XSync(dpy, False);
            std::printf(line == "popup" ? "popped\n" : "closed\n");
        } else {
            std::printf("crowded_client: unknown command: %s\n", line.c_str());
        }
        std::fflush(stdout);
    }
    return 0;
}
