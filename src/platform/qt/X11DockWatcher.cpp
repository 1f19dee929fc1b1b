#include "platform/qt/X11DockWatcher.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <algorithm>
#include <cstring>

#include "platform/qt/X11Display.h"
#include "platform/qt/X11StackLook.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>

namespace platform::qt {
namespace {

// The 32-bit items of a property read through xcb; empty when missing or of another type. A
// window that went away meanwhile answers with an error, which is dropped with its reply.
std::vector<uint32_t> items(xcb_connection_t* c, xcb_get_property_cookie_t cookie, xcb_atom_t type) {
    const auto reply = xcbReply(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->type != type || reply->format != 32) return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

std::optional<DockStrut> strutOf(const std::vector<uint32_t>& partial, const std::vector<uint32_t>& plain) {
    if (partial.size() == 12) {
        DockStrut strut;
        std::copy(partial.begin(), partial.end(), strut.begin());
        return strut;
    }
    if (plain.size() == 4) return fullLengthStrut(plain[0], plain[1], plain[2], plain[3]);
    return std::nullopt;
}

}  // namespace

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
    watchClients();
    readWorkArea();
    takeAreas();
    qGuiApp->installNativeEventFilter(this);
}

X11DockWatcher::~X11DockWatcher() {
    if (qGuiApp) qGuiApp->removeNativeEventFilter(this);
}

void X11DockWatcher::watchClients() {
    xcb_connection_t* c = qtXcbConnection();
    const auto added = windows_.takeClients(
        items(c, xcb_get_property(c, 0, root_, rootAtoms_[1], XCB_ATOM_WINDOW, 0, 4096), XCB_ATOM_WINDOW));
    // Every request of a step is sent before its answers are waited for.
    std::vector<xcb_get_window_attributes_cookie_t> asked;
    for (uint32_t w : added) asked.push_back(xcb_get_window_attributes(c, w));
    for (size_t i = 0; i < added.size(); ++i) {
        const auto attributes = xcbReply(xcb_get_window_attributes_reply(c, asked[i], nullptr));
        if (!attributes) continue;
        // Added to what the window's owner, or Qt for our own, selected on it.
        const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_discard_reply(c, xcb_change_window_attributes_checked(c, added[i], XCB_CW_EVENT_MASK, &mask).sequence);
    }
    // Asked after the selection: a type or strut that changes later is reported.
    readClients(added, true, true);
}

void X11DockWatcher::readClients(const std::vector<uint32_t>& windows, bool types, bool struts) {
    xcb_connection_t* c = qtXcbConnection();
    struct Asked {
        xcb_get_property_cookie_t type, partial, plain;
    };
    std::vector<Asked> asked;
    for (uint32_t w : windows) {
        Asked a{};
        if (types) a.type = xcb_get_property(c, 0, w, windowType_, XCB_ATOM_ATOM, 0, 16);
        if (struts) {
            a.partial = xcb_get_property(c, 0, w, strutAtoms_[0], XCB_ATOM_CARDINAL, 0, 12);
            a.plain = xcb_get_property(c, 0, w, strutAtoms_[1], XCB_ATOM_CARDINAL, 0, 4);
        }
        asked.push_back(a);
    }
    for (size_t i = 0; i < windows.size(); ++i) {
        if (types) {
            const auto found = items(c, asked[i].type, XCB_ATOM_ATOM);
            windows_.typeRead(windows[i], std::find(found.begin(), found.end(), dockType_) != found.end());
        }
        if (struts) {
            const auto partial = items(c, asked[i].partial, XCB_ATOM_CARDINAL);
            windows_.strutRead(windows[i], strutOf(partial, items(c, asked[i].plain, XCB_ATOM_CARDINAL)));
        }
    }
}

void X11DockWatcher::readWorkArea() {
    xcb_connection_t* c = qtXcbConnection();
    const auto desktopAsked = xcb_get_property(c, 0, root_, rootAtoms_[2], XCB_ATOM_CARDINAL, 0, 1);
    const auto workAsked = xcb_get_property(c, 0, root_, rootAtoms_[0], XCB_ATOM_CARDINAL, 0, 4 * 64);
    const auto desktop = items(c, desktopAsked, XCB_ATOM_CARDINAL);
    const auto work = items(c, workAsked, XCB_ATOM_CARDINAL);
    const size_t index = desktop.empty() ? 0 : size_t(desktop[0]);
    workArea_.reset();
    if (index < 64 && work.size() >= 4 * (index + 1))
        workArea_ = Rect{double(work[4 * index]), double(work[4 * index + 1]), double(work[4 * index + 2]),
                         double(work[4 * index + 3])};
}

void X11DockWatcher::takeAreas() {
    Display* dpy = qtX11Display();
    if (!dpy) return;
    X11DockAreas areas;
    areas.screen = {double(DisplayWidth(dpy, DefaultScreen(dpy))), double(DisplayHeight(dpy, DefaultScreen(dpy)))};
    areas.struts = windows_.struts();
    areas.workArea = workArea_;
    if (areas == areas_) return;
    const bool first = !areas_;
    areas_ = std::move(areas);
    if (!first) areasChanged_.emit();
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
        if (property->atom == rootAtoms_[1])
            watchClients();
        else if (std::find(rootAtoms_.begin(), rootAtoms_.end(), property->atom) != rootAtoms_.end())
            readWorkArea();
        else
            return false;
        takeAreas();
    } else if (windows_.isClient(property->window)) {
        if (property->atom == windowType_) {
            readClients({property->window}, true, false);
        } else if (std::find(strutAtoms_.begin(), strutAtoms_.end(), property->atom) != strutAtoms_.end()) {
            readClients({property->window}, false, true);
            takeAreas();
        }
    }
    return false;
}

}  // namespace platform::qt
