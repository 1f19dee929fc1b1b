#include "platform/qt/X11DockAreas.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <algorithm>

#include "platform/qt/X11Display.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform::qt {
namespace {

// The 32-bit items of a CARDINAL or WINDOW property; empty when missing.
std::vector<long> longs(Display* dpy, Window window, const char* name, Atom type, long maxItems) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::vector<long> out;
    if (XGetWindowProperty(dpy, window, XInternAtom(dpy, name, False), 0, maxItems, False, type, &actualType, &format,
                           &count, &remaining, &data) == Success &&
        actualType == type && format == 32 && data)
        out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    if (data) XFree(data);
    return out;
}

std::vector<Window> clientWindows(Display* dpy) {
    std::vector<Window> out;
    for (long w : longs(dpy, DefaultRootWindow(dpy), "_NET_CLIENT_LIST", XA_WINDOW, 4096)) out.push_back(Window(w));
    return out;
}

}  // namespace

std::optional<X11DockAreas> readDockAreas() {
    Display* dpy = qtX11Display();
    if (!dpy) return std::nullopt;
    QuietX11Errors quiet(dpy);
    const Window root = DefaultRootWindow(dpy);
    X11DockAreas areas;
    areas.screen = {double(DisplayWidth(dpy, DefaultScreen(dpy))), double(DisplayHeight(dpy, DefaultScreen(dpy)))};
    for (Window w : clientWindows(dpy)) {
        auto partial = longs(dpy, w, "_NET_WM_STRUT_PARTIAL", XA_CARDINAL, 12);
        if (partial.size() == 12) {
            DockStrut strut;
            std::copy(partial.begin(), partial.end(), strut.begin());
            areas.struts.push_back(strut);
        } else if (auto plain = longs(dpy, w, "_NET_WM_STRUT", XA_CARDINAL, 4); plain.size() == 4) {
            areas.struts.push_back(fullLengthStrut(plain[0], plain[1], plain[2], plain[3]));
        }
    }
    auto desktop = longs(dpy, root, "_NET_CURRENT_DESKTOP", XA_CARDINAL, 1);
    const size_t index = desktop.empty() ? 0 : size_t(std::max(0L, desktop[0]));
    auto work = longs(dpy, root, "_NET_WORKAREA", XA_CARDINAL, 4 * 64);
    if (work.size() >= 4 * (index + 1))
        areas.workArea = Rect{double(work[4 * index]), double(work[4 * index + 1]), double(work[4 * index + 2]),
                              double(work[4 * index + 3])};
    return areas;
}

X11DockWatcher::X11DockWatcher(std::function<void()> changed) : changed_(std::move(changed)) {
    Display* dpy = qtX11Display();
    if (!dpy) return;
    root_ = uint32_t(DefaultRootWindow(dpy));
    for (const char* name : {"_NET_WORKAREA", "_NET_CLIENT_LIST", "_NET_CURRENT_DESKTOP"})
        rootAtoms_.push_back(uint32_t(XInternAtom(dpy, name, False)));
    for (const char* name : {"_NET_WM_STRUT_PARTIAL", "_NET_WM_STRUT"})
        strutAtoms_.push_back(uint32_t(XInternAtom(dpy, name, False)));
    // The root's event selection is shared with Qt and others: add to it.
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(dpy, root_, &attrs)) return;
    XSelectInput(dpy, root_, attrs.your_event_mask | PropertyChangeMask);
    watchClients();
    qGuiApp->installNativeEventFilter(this);
}

X11DockWatcher::~X11DockWatcher() {
    if (qGuiApp) qGuiApp->removeNativeEventFilter(this);
}

void X11DockWatcher::watchClients() {
    Display* dpy = qtX11Display();
    if (!dpy) return;
    QuietX11Errors quiet(dpy);
    std::vector<uint32_t> now;
    for (Window w : clientWindows(dpy)) {
        now.push_back(uint32_t(w));
        if (std::find(clients_.begin(), clients_.end(), uint32_t(w)) != clients_.end()) continue;
        XWindowAttributes attrs;
        if (XGetWindowAttributes(dpy, w, &attrs)) XSelectInput(dpy, w, attrs.your_event_mask | PropertyChangeMask);
    }
    clients_ = std::move(now);
}

bool X11DockWatcher::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (type != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    auto* property = static_cast<xcb_property_notify_event_t*>(message);
    auto in = [](const std::vector<uint32_t>& list, uint32_t v) {
        return std::find(list.begin(), list.end(), v) != list.end();
    };
    if (property->window == root_ && in(rootAtoms_, property->atom)) {
        if (property->atom == rootAtoms_[1]) watchClients();
        changed_();
    } else if (in(strutAtoms_, property->atom) && in(clients_, property->window)) {
        changed_();
    }
    return false;
}

}  // namespace platform::qt
