#include "platform/qt/X11WindowList.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/qt/EwmhWindowRules.h"
#include "platform/qt/QtScreens.h"
#include "platform/qt/X11Display.h"

// Xlib's macros (None, Bool, Status, ...) break Qt headers: X11 comes last and stays here.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform::qt {
namespace {

using XWindow = ::Window;

// What the process-wide handlers record for one of our connections.
struct ConnectionHealth {
    bool lost = false;
    unsigned long errors = 0;
};

std::unordered_map<Display*, ConnectionHealth*>& windowListConnections() {
    static std::unordered_map<Display*, ConnectionHealth*> connections;
    return connections;
}

XIOErrorHandler previousIOErrorHandler = nullptr;
XErrorHandler previousErrorHandler = nullptr;

// Windows vanish between reading the stacking list and asking about them, and an id can be
// stale: errors on our connection are expected and only counted. Everything else goes on to
// the handlers installed before ours (the key taps', Qt's), so every handler keeps seeing
// what belongs to it whichever was installed first.
int onError(Display* display, XErrorEvent* error) {
    auto it = windowListConnections().find(display);
    if (it != windowListConnections().end()) {
        ++it->second->errors;
        return 0;
    }
    return previousErrorHandler ? previousErrorHandler(display, error) : 0;
}

int onIOError(Display* display) {
    // Returning lets Xlib call the connection's exit handler, which records the loss.
    if (windowListConnections().count(display)) return 0;
    return previousIOErrorHandler ? previousIOErrorHandler(display) : 0;
}

void onIOErrorExit(Display*, void* health) {
    static_cast<ConnectionHealth*>(health)->lost = true;
}

void installHandlers() {
    static const bool installed = [] {
        previousIOErrorHandler = XSetIOErrorHandler(&onIOError);
        previousErrorHandler = XSetErrorHandler(&onError);
        return true;
    }();
    (void)installed;
}

enum AtomIndex {
    clientListStacking,
    activeWindow,
    wmPid,
    wmWindowType,
    wmState,
    frameExtents,
    gtkFrameExtents,
    stateAbove,
    stateBelow,
    stateFullScreen,
    stateHidden,
    firstWindowType,
};

constexpr const char* kNamedAtoms[] = {
    "_NET_CLIENT_LIST_STACKING", "_NET_ACTIVE_WINDOW",  "_NET_WM_PID",
    "_NET_WM_WINDOW_TYPE",       "_NET_WM_STATE",       "_NET_FRAME_EXTENTS",
    "_GTK_FRAME_EXTENTS",        "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_BELOW",
    "_NET_WM_STATE_FULLSCREEN",  "_NET_WM_STATE_HIDDEN",
};
constexpr int kNamedAtomCount = sizeof kNamedAtoms / sizeof kNamedAtoms[0];
static_assert(kNamedAtomCount == firstWindowType);
constexpr int kAtomCount = kNamedAtomCount + static_cast<int>(ewmh::windowTypeAtoms.size());

// What is known of one managed window; read again only after an event says it changed.
struct KnownWindow {
    bool stale = true;
    XWindow frame = 0;  // its child of the root, whose moves and mapping are watched too
    std::optional<WindowInfo> info;  // nullopt: not on screen or not listed
};

}  // namespace

class X11WindowList::Connection {
public:
    static std::unique_ptr<Connection> open() {
        auto own = OwnX11Connection::open();
        if (!own) return nullptr;
        Display* display = own->display();
        auto connection = std::unique_ptr<Connection>(new Connection(std::move(own)));
        char* names[kAtomCount];
        for (int i = 0; i < kNamedAtomCount; ++i) names[i] = const_cast<char*>(kNamedAtoms[i]);
        for (size_t i = 0; i < ewmh::windowTypeAtoms.size(); ++i)
            names[kNamedAtomCount + i] = const_cast<char*>(ewmh::windowTypeAtoms[i].first);
        if (!XInternAtoms(display, names, kAtomCount, False, connection->atoms_) || connection->health_.lost)
            return nullptr;
        XSelectInput(display, connection->root(), PropertyChangeMask);
        // Events are taken as they come, so none pile up in the server while nobody asks.
        if (QCoreApplication::instance()) {
            connection->notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
            QObject::connect(connection->notifier_.get(), &QSocketNotifier::activated,
                             [c = connection.get()] { c->takeEvents(); });
        }
        XFlush(display);
        return connection;
    }

    ~Connection() {
        notifier_.reset();
        windowListConnections().erase(display_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isLost() const { return health_.lost; }
    XWindow root() const { return DefaultRootWindow(display_); }

    // The 32-bit items of a property; nullopt when it is missing, of another type, or the
    // window is gone.
    std::optional<std::vector<unsigned long>> longs(XWindow window, AtomIndex property, Atom type, long maxItems) {
        if (health_.lost) return std::nullopt;
        Atom actualType = 0;
        int actualFormat = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        const int status = XGetWindowProperty(display_, window, atoms_[property], 0, maxItems, False, type, &actualType,
                                              &actualFormat, &count, &remaining, &data);
        std::optional<std::vector<unsigned long>> items;
        if (status == Success && data && actualType == type && actualFormat == 32) {
            // Xlib hands format-32 items over as longs, whatever the width of long.
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            items.emplace(values, values + count);
        }
        if (data) XFree(data);
        return items;
    }

    std::optional<int32_t> pid(XWindow window) {
        auto value = longs(window, wmPid, XA_CARDINAL, 1);
        if (!value || value->size() != 1 || (*value)[0] == 0 || (*value)[0] > INT32_MAX) return std::nullopt;
        return static_cast<int32_t>((*value)[0]);
    }

    // Left, right, top and bottom of an extents property; zero when it is missing or malformed.
    ewmh::FrameExtents fourSides(XWindow window, AtomIndex property) {
        auto values = longs(window, property, XA_CARDINAL, 4);
        if (!values || values->size() != 4) return {};
        // CARDINALs: a value above LONG_MAX wraps negative and is then ignored as absurd.
        return {static_cast<long>((*values)[0]), static_cast<long>((*values)[1]), static_cast<long>((*values)[2]),
                static_cast<long>((*values)[3])};
    }

    // A viewable managed window as the list shows it; nullopt for one that is not on screen,
    // is left out by its type or state, or went away meanwhile.
    std::optional<WindowInfo> describe(XWindow window, const PixelSpace& space) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display_, window, &attributes) || health_.lost) return std::nullopt;
        // Windows on another desktop or minimised are unmapped, or sit in an unmapped frame.
        if (attributes.map_state != IsViewable) return std::nullopt;

        ewmh::WindowType type = ewmh::WindowType::normal;
        if (auto types = longs(window, wmWindowType, XA_ATOM, 32)) {
            // The first type we know wins: the list is in order of preference.
            bool found = false;
            for (unsigned long atom : *types) {
                for (size_t i = 0; i < ewmh::windowTypeAtoms.size() && !found; ++i) {
                    if (atoms_[kNamedAtomCount + i] == atom) {
                        type = ewmh::windowTypeAtoms[i].second;
                        found = true;
                    }
                }
                if (found) break;
            }
        }
        ewmh::WindowState state;
        if (auto states = longs(window, wmState, XA_ATOM, 64)) {
            for (unsigned long atom : *states) {
                state.above |= atom == atoms_[stateAbove];
                state.below |= atom == atoms_[stateBelow];
                state.fullScreen |= atom == atoms_[stateFullScreen];
                state.hidden |= atom == atoms_[stateHidden];
            }
        }
        const auto layer = ewmh::listedLayer(type, state);
        if (!layer) return std::nullopt;

        int rootX = 0, rootY = 0;
        XWindow child = 0;
        if (!XTranslateCoordinates(display_, window, root(), 0, 0, &rootX, &rootY, &child) || health_.lost)
            return std::nullopt;
        const ewmh::FrameExtents extents = fourSides(window, frameExtents);
        const ewmh::FrameExtents margins = fourSides(window, gtkFrameExtents);

        WindowInfo info;
        info.number = static_cast<uint32_t>(window);
        info.ownerPid = pid(window);
        info.layer = *layer;
        // Counted from the primary screen's corner, which need not be the root window's.
        const Point corner = space.primaryCorner();
        info.bounds =
            space.toPoints(ewmh::frameBounds(rootX, rootY, attributes.width, attributes.height, extents, margins))
                .offsetBy(-corner.x, -corner.y);
        info.isFullScreen = state.fullScreen;
        if (health_.lost) return std::nullopt;
        return info;
    }

    // Marks what the events since the last look changed. Reads nothing from the server.
    void takeEvents() {
        while (!health_.lost && XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            const XWindow window = event.xany.window;
            if (event.type == PropertyNotify) {
                const Atom atom = event.xproperty.atom;
                if (window == root()) {
                    stackingStale_ |= atom == atoms_[clientListStacking];
                    activeStale_ |= atom == atoms_[activeWindow];
                } else if (atom == atoms_[wmPid] || atom == atoms_[wmWindowType] || atom == atoms_[wmState] ||
                           atom == atoms_[frameExtents] || atom == atoms_[gtkFrameExtents]) {
                    markStale(window);
                }
            } else if ((event.type == DestroyNotify && event.xdestroywindow.window == window) ||
                       (event.type == ReparentNotify && event.xreparent.window == window)) {
                // Gone, or in a new frame: watched afresh if it is still listed.
                forget(window);
            } else if (event.type == ConfigureNotify || event.type == MapNotify || event.type == UnmapNotify ||
                       event.type == ReparentNotify || event.type == DestroyNotify) {
                markStale(window);
            }
        }
    }

    // The managed windows front to back; nullopt without an EWMH window manager.
    std::optional<std::vector<WindowInfo>> windows() {
        takeEvents();
        if (stackingStale_) {
            stackingStale_ = false;
            stacking_ = longs(root(), clientListStacking, XA_WINDOW, 1 << 16);
            // Windows no longer managed are forgotten; their ids may come back as new windows.
            std::unordered_map<XWindow, KnownWindow> kept;
            if (stacking_)
                for (unsigned long w : *stacking_)
                    if (auto it = known_.find(XWindow(w)); it != known_.end()) kept.insert(*it);
            known_.swap(kept);
            frames_.clear();
            for (const auto& [window, entry] : known_)
                if (entry.frame) frames_[entry.frame] = window;
        }
        if (!stacking_) return std::nullopt;
        // Screens that came, went or changed scale move every window among the points.
        if (PixelSpace space = currentPixelSpace(); space != space_) {
            space_ = std::move(space);
            for (auto& entry : known_) entry.second.stale = true;
        }
        std::vector<WindowInfo> list;
        // The stacking list runs bottom to top; ours runs front to back.
        for (auto it = stacking_->rbegin(); it != stacking_->rend() && !health_.lost; ++it) {
            const XWindow window = static_cast<XWindow>(*it);
            auto [entry, added] = known_.try_emplace(window);
            if (added) watch(window, entry->second);
            if (entry->second.stale) {
                entry->second.stale = false;
                entry->second.info = describe(window, space_);
            }
            if (entry->second.info) list.push_back(*entry->second.info);
        }
        return list;
    }

    std::optional<int32_t> activePid() {
        takeEvents();
        if (activeStale_) {
            activeStale_ = false;
            auto active = longs(root(), activeWindow, XA_WINDOW, 1);
            active_ = active && active->size() == 1 ? XWindow((*active)[0]) : 0;
        }
        if (!active_) return std::nullopt;
        if (auto it = known_.find(active_); it != known_.end() && !it->second.stale && it->second.info)
            return it->second.info->ownerPid;
        // The active window may belong to a process that has exited: then it has no PID to read.
        return pid(active_);
    }

private:
    explicit Connection(std::unique_ptr<OwnX11Connection> own) : own_(std::move(own)), display_(own_->display()) {
        installHandlers();
        windowListConnections()[display_] = &health_;
        XSetIOErrorExitHandler(display_, &onIOErrorExit, &health_);
    }

    // From now on its changes arrive as events; then it is read, so none is missed.
    void watch(XWindow window, KnownWindow& entry) {
        XSelectInput(display_, window, StructureNotifyMask | PropertyChangeMask);
        XWindow parent = window, rootWindow = 0, *children = nullptr;
        unsigned int count = 0;
        for (int depth = 0; depth < 16; ++depth) {
            XWindow up = 0;
            if (!XQueryTree(display_, parent, &rootWindow, &up, &children, &count)) break;
            if (children) XFree(children);
            children = nullptr;
            if (!up || up == rootWindow) {
                if (parent != window) entry.frame = parent;
                break;
            }
            parent = up;
        }
        if (entry.frame) {
            XSelectInput(display_, entry.frame, StructureNotifyMask);
            frames_[entry.frame] = window;
        }
    }

    void markStale(XWindow window) {
        if (auto it = known_.find(window); it != known_.end()) {
            it->second.stale = true;
        } else if (auto frame = frames_.find(window); frame != frames_.end()) {
            if (auto client = known_.find(frame->second); client != known_.end()) client->second.stale = true;
        }
    }

    void forget(XWindow window) {
        if (auto it = known_.find(window); it != known_.end()) {
            frames_.erase(it->second.frame);
            known_.erase(it);
        } else {
            markStale(window);  // a frame: its client is reparented or going
        }
    }

    std::unique_ptr<OwnX11Connection> own_;
    Display* display_;
    ConnectionHealth health_;
    Atom atoms_[kAtomCount] = {};
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unordered_map<XWindow, KnownWindow> known_;
    std::unordered_map<XWindow, XWindow> frames_;  // frame -> its client
    std::optional<std::vector<unsigned long>> stacking_;
    bool stackingStale_ = true;
    XWindow active_ = 0;
    bool activeStale_ = true;
    PixelSpace space_;
};

X11WindowList::X11WindowList() = default;

X11WindowList::~X11WindowList() = default;

X11WindowList::Connection* X11WindowList::connection() {
    if (connection_ && connection_->isLost()) connection_.reset();
    if (!connection_) connection_ = Connection::open();
    return connection_.get();
}

std::optional<std::vector<WindowInfo>> X11WindowList::onScreenWindows() {
    Connection* c = connection();
    if (!c) return std::nullopt;
    // No list means no EWMH window manager: there is nothing we could tell apart.
    auto list = c->windows();
    if (c->isLost()) return std::nullopt;
    return list;
}

std::optional<int32_t> X11WindowList::frontmostApplicationPid() {
    Connection* c = connection();
    if (!c) return std::nullopt;
    auto pid = c->activePid();
    if (c->isLost()) return std::nullopt;
    return pid;
}

}  // namespace platform::qt
