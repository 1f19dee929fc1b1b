#include "platform/qt/X11DockAreas.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/qt/X11Display.h"
#include "platform/qt/X11StackLook.h"

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

// The 32-bit items of a property read through xcb; empty when missing or of another type.
std::vector<uint32_t> items(xcb_connection_t* c, xcb_get_property_cookie_t cookie, xcb_atom_t type) {
    const auto reply = xcbReply(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->type != type || reply->format != 32) return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
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

std::vector<Rect> readShownDocks() {
    xcb_connection_t* c = qtXcbConnection();
    if (!c) return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Atoms are the server's, the same for as long as it runs: interned once.
    static const auto atoms = [c] {
        std::array<xcb_atom_t, 3> out{};
        const char* names[] = {"_NET_CLIENT_LIST", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DOCK"};
        std::array<xcb_intern_atom_cookie_t, 3> asked;
        for (size_t i = 0; i < asked.size(); ++i)
            asked[i] = xcb_intern_atom(c, 0, uint16_t(std::strlen(names[i])), names[i]);
        for (size_t i = 0; i < asked.size(); ++i)
            if (const auto reply = xcbReply(xcb_intern_atom_reply(c, asked[i], nullptr))) out[i] = reply->atom;
        return out;
    }();
    const auto [clientList, windowType, dock] = atoms;
    const auto clients = items(c, xcb_get_property(c, 0, root, clientList, XCB_ATOM_WINDOW, 0, 4096), XCB_ATOM_WINDOW);
    // Every request of a step is sent before its answers are waited for; a window that went
    // away meanwhile answers with an error, which is dropped with its reply.
    std::vector<xcb_get_property_cookie_t> types;
    for (uint32_t w : clients) types.push_back(xcb_get_property(c, 0, w, windowType, XCB_ATOM_ATOM, 0, 16));
    struct Asked {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
    };
    std::vector<Asked> docks;
    for (size_t i = 0; i < clients.size(); ++i) {
        const auto type = items(c, types[i], XCB_ATOM_ATOM);
        if (std::find(type.begin(), type.end(), dock) == type.end()) continue;
        docks.push_back({xcb_get_window_attributes(c, clients[i]), xcb_get_geometry(c, clients[i]),
                         xcb_translate_coordinates(c, clients[i], root, 0, 0)});
    }
    std::vector<Rect> out;
    for (const Asked& asked : docks) {
        const auto attributes = xcbReply(xcb_get_window_attributes_reply(c, asked.attributes, nullptr));
        const auto geometry = xcbReply(xcb_get_geometry_reply(c, asked.geometry, nullptr));
        const auto origin = xcbReply(xcb_translate_coordinates_reply(c, asked.origin, nullptr));
        if (attributes && geometry && origin && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
            out.push_back(
                {double(origin->dst_x), double(origin->dst_y), double(geometry->width), double(geometry->height)});
    }
    return out;
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
