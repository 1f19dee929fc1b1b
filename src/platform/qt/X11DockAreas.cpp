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
    return X11DockWatcher::shared().shownDocks();
}

X11DockWatcher& X11DockWatcher::shared() {
    static X11DockWatcher watcher;
    return watcher;
}

X11DockWatcher::X11DockWatcher() {
    xcb_connection_t* c = qtXcbConnection();
    if (!c) return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const char* names[] = {"_NET_WORKAREA", "_NET_CLIENT_LIST",    "_NET_CURRENT_DESKTOP",    "_NET_WM_STRUT_PARTIAL",
                           "_NET_WM_STRUT", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DOCK"};
    std::vector<xcb_intern_atom_cookie_t> asked;
    for (const char* name : names) asked.push_back(xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name));
    std::vector<uint32_t> atoms;
    for (auto cookie : asked) {
        const auto reply = xcbReply(xcb_intern_atom_reply(c, cookie, nullptr));
        atoms.push_back(reply ? reply->atom : 0);
    }
    rootAtoms_.assign(atoms.begin(), atoms.begin() + 3);
    strutAtoms_.assign(atoms.begin() + 3, atoms.begin() + 5);
    windowType_ = atoms[5];
    dockType_ = atoms[6];
    // The root's event selection is shared with Qt and others: add to it.
    const auto root = xcbReply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root_), nullptr));
    if (!root) return;
    const uint32_t mask = root->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, root_, XCB_CW_EVENT_MASK, &mask);
    areas_ = readDockAreas();
    watchClients();
    qGuiApp->installNativeEventFilter(this);
}

X11DockWatcher::~X11DockWatcher() {
    if (qGuiApp) qGuiApp->removeNativeEventFilter(this);
}

void X11DockWatcher::watchClients() {
    xcb_connection_t* c = qtXcbConnection();
    const auto added = windows_.takeClients(
        items(c, xcb_get_property(c, 0, root_, rootAtoms_[1], XCB_ATOM_WINDOW, 0, 4096), XCB_ATOM_WINDOW));
    // Every request of a step is sent before its answers are waited for. A window that went
    // away meanwhile answers with an error, which is dropped with its reply.
    std::vector<xcb_get_window_attributes_cookie_t> asked;
    for (uint32_t w : added) asked.push_back(xcb_get_window_attributes(c, w));
    for (size_t i = 0; i < added.size(); ++i) {
        const auto attributes = xcbReply(xcb_get_window_attributes_reply(c, asked[i], nullptr));
        if (!attributes) continue;
        // Added to what the window's owner, or Qt for our own, selected on it.
        const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_discard_reply(c, xcb_change_window_attributes_checked(c, added[i], XCB_CW_EVENT_MASK, &mask).sequence);
    }
    // Asked after the selection: a type that changes later is reported.
    readTypes(added);
}

void X11DockWatcher::readTypes(const std::vector<uint32_t>& windows) {
    xcb_connection_t* c = qtXcbConnection();
    std::vector<xcb_get_property_cookie_t> asked;
    for (uint32_t w : windows) asked.push_back(xcb_get_property(c, 0, w, windowType_, XCB_ATOM_ATOM, 0, 16));
    for (size_t i = 0; i < windows.size(); ++i) {
        const auto types = items(c, asked[i], XCB_ATOM_ATOM);
        windows_.typeRead(windows[i], std::find(types.begin(), types.end(), dockType_) != types.end());
    }
}

void X11DockWatcher::readAreas() {
    auto areas = readDockAreas();
    if (areas == areas_) return;
    areas_ = std::move(areas);
    areasChanged_.emit();
}

std::vector<Rect> X11DockWatcher::shownDocks() const {
    xcb_connection_t* c = qtXcbConnection();
    if (!c || !root_) return {};
    // Where a panel that hides stands changes without a word to us: asked at each call.
    struct Asked {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
    };
    std::vector<Asked> docks;
    for (uint32_t w : windows_.docks())
        docks.push_back(
            {xcb_get_window_attributes(c, w), xcb_get_geometry(c, w), xcb_translate_coordinates(c, w, root_, 0, 0)});
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

bool X11DockWatcher::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (type != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    auto* property = static_cast<xcb_property_notify_event_t*>(message);
    if (property->window == root_) {
        if (std::find(rootAtoms_.begin(), rootAtoms_.end(), property->atom) == rootAtoms_.end()) return false;
        if (property->atom == rootAtoms_[1]) watchClients();
        readAreas();
    } else if (windows_.isClient(property->window)) {
        if (property->atom == windowType_)
            readTypes({property->window});
        else if (std::find(strutAtoms_.begin(), strutAtoms_.end(), property->atom) != strutAtoms_.end())
            readAreas();
    }
    return false;
}

}  // namespace platform::qt
