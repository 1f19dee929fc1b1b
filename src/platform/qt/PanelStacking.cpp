#include "platform/qt/PanelStacking.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/desktop/HiddenWindows.h"
#include "platform/qt/X11Display.h"
#include "platform/qt/X11StackLook.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>

namespace platform::qt {
namespace {

// The watch of the root runs on a connection of its own. On Qt's connection every window move
// anywhere would wake Qt's event reader and make Qt read every screen's geometry again. Where the
// window manager keeps the stacking list on the root, a change of that list is what brings a
// window up, and our own panels' moves (override-redirect, never listed) wake nothing; without
// such a list every map and restack of the root's children is looked at.
class StackingWatcher final {
public:
    static StackingWatcher& shared() {
        static auto* watcher = new StackingWatcher;  // lives as long as the process
        return *watcher;
    }

    void add(QWidget* panel) {
        if (std::find(panels_.begin(), panels_.end(), panel) == panels_.end()) panels_.push_back(panel);
        watchRoot();
    }
    void remove(QWidget* panel) { std::erase(panels_, panel); }

    // On Qt's connection, so that the look comes after Qt's own requests for the panel (its
    // creation and map).
    void raise(QWidget* panel) {
        xcb_connection_t* c = qtXcbConnection();
        if (!c) return panel->raise();
        look(c, panel);
    }

private:
    StackingWatcher() {
        raiseTimer_.setSingleShot(true);
        QObject::connect(&raiseTimer_, &QTimer::timeout, [this] {
            lookNow();
            takeEvents();
        });
        sinceLook_.start();
    }

    void lookNow() {
        look(connection_->connection(), nullptr);
        sinceLook_.restart();
    }

    void look(xcb_connection_t* c, QWidget* alsoShown) {
        Display* dpy = qtX11Display();
        if (!c || !dpy) return;
        std::vector<xcb_window_t> panels;
        for (QWidget* p : panels_)
            if ((p->isVisible() || p == alsoShown) && p->testAttribute(Qt::WA_WState_Created))
                panels.push_back(xcb_window_t(p->winId()));
        if (panels.empty()) return;
        if (!atoms_) atoms_ = std::make_unique<StackAtoms>(StackAtoms::intern(c));
        const std::vector<xcb_window_t> own = ownCeilings();
        // A move fails only when the child it was placed by went away: the next look finds
        // another.
        for (int attempt = 0; attempt < 3; ++attempt) {
            const auto look =
                lookAtStack(c, xcb_window_t(DefaultRootWindow(dpy)), *atoms_, panels, own, guess_, hidden_.known());
            guess_ = look.readShown;
            if (c == c_) followHidden(look.readHidden);
            if (look.placed) break;
        }
        xcb_flush(c);
    }

    // Other programs keep windows that are never shown, often above the pets: looks stop asking
    // about them (see HiddenWindows), so their work does not grow with how many there are.
    void followHidden(const std::vector<xcb_window_t>& hidden) {
        for (xcb_window_t w : hidden_.found(hidden)) select(w, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    }

    // A followed window that comes up or leaves the root: its moves are not ours to hear (the
    // window manager's check window stays heard for its end).
    bool unfollow(xcb_window_t w) {
        if (!hidden_.cameUp(w)) return false;
        select(w, w == checkWindow_ ? XCB_EVENT_MASK_STRUCTURE_NOTIFY : 0);
        return true;
    }

    // Our popups, and our dialog while it is the one in front: they stay over the pets wherever
    // they stand, our dialog in front even under a dock.
    static std::vector<xcb_window_t> ownCeilings() {
        std::vector<xcb_window_t> out;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || !w->testAttribute(Qt::WA_WState_Created)) continue;
            const Qt::WindowType type = w->windowType();
            const bool popup = type == Qt::Popup || type == Qt::ToolTip;
            if (popup || (type == Qt::Dialog && w->isActiveWindow())) out.push_back(xcb_window_t(w->winId()));
        }
        return out;
    }

    void watchRoot() {
        if (tried_) return;
        tried_ = true;
        Display* dpy = qtX11Display();
        connection_ = dpy ? OwnXcbConnection::open() : nullptr;
        if (!connection_) return;
        c_ = connection_->connection();
        root_ = xcb_window_t(DefaultRootWindow(dpy));
        supportedAtom_ = intern("_NET_SUPPORTED");
        stackingAtom_ = intern("_NET_CLIENT_LIST_STACKING");
        checkAtom_ = intern("_NET_SUPPORTING_WM_CHECK");
        selectRootEvents();
        notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { takeEvents(); });
    }

    xcb_atom_t intern(const char* name) {
        const auto reply =
            xcbReply(xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, uint16_t(strlen(name)), name), nullptr));
        return reply ? reply->atom : 0;
    }

    void select(xcb_window_t window, uint32_t events) {
        xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &events);
    }

    // The window manager may come, go or change after we start: its word is read again when the
    // root names another one, or when the one named ends.
    void selectRootEvents() {
        const bool listed = windowManagerListsStacking();
        wmListsStacking_ = listed;
        select(root_, XCB_EVENT_MASK_PROPERTY_CHANGE | (listed ? 0 : XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY));
        xcb_flush(c_);
    }

    // A window manager that runs keeps a check window naming itself; the root's list of what it
    // supports may outlive it.
    bool windowManagerListsStacking() {
        const auto check = properties(root_, checkAtom_, XCB_ATOM_WINDOW);
        if (check.size() != 1) return false;
        checkWindow_ = check[0];
        // Its end comes as the check window's destruction. Selected before the window is read,
        // so that an end in between is heard.
        select(checkWindow_, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
        if (properties(checkWindow_, checkAtom_, XCB_ATOM_WINDOW) != check) return false;
        const auto supported = properties(root_, supportedAtom_, XCB_ATOM_ATOM);
        return std::find(supported.begin(), supported.end(), stackingAtom_) != supported.end();
    }

    std::vector<uint32_t> properties(xcb_window_t window, xcb_atom_t property, xcb_atom_t expected) {
        const auto reply = xcbReply(
            xcb_get_property_reply(c_, xcb_get_property(c_, 0, window, property, expected, 0, 1 << 12), nullptr));
        if (!reply || reply->type != expected || reply->format != 32) return {};
        const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        return {values, values + xcb_get_property_value_length(reply.get()) / 4};
    }

    void takeEvents() {
        // A look waits for answers, which may bring events along that the socket no longer
        // shows: they are taken after it.
        while (takeQueuedEvents() && lookWhenDue()) {
        }
    }

    // Whether one of them may have brought a window up.
    bool takeQueuedEvents() {
        bool changed = false;
        while (auto ev = xcbReply(xcb_poll_for_event(c_))) {
            switch (ev->response_type & 0x7f) {
                case XCB_DESTROY_NOTIFY: {
                    const xcb_window_t w = reinterpret_cast<xcb_destroy_notify_event_t*>(ev.get())->window;
                    hidden_.ended(w);
                    if (checkWindow_ && w == checkWindow_) {
                        checkWindow_ = 0;
                        selectRootEvents();
                    }
                    break;
                }
                case XCB_PROPERTY_NOTIFY: {
                    const auto* e = reinterpret_cast<xcb_property_notify_event_t*>(ev.get());
                    if (e->window != root_) break;
                    if (e->atom == supportedAtom_ || e->atom == checkAtom_) selectRootEvents();
                    if (e->atom == stackingAtom_ && wmListsStacking_) changed = true;
                    break;
                }
                case XCB_MAP_NOTIFY: {
                    const auto* e = reinterpret_cast<xcb_map_notify_event_t*>(ev.get());
                    if (e->event == root_ && !e->override_redirect && !isPanel(e->window)) changed = true;
                    // One of the hidden windows followed comes up: it may cover the pets.
                    if (e->event == e->window && unfollow(e->window)) changed = true;
                    break;
                }
                case XCB_REPARENT_NOTIFY: {
                    const auto* e = reinterpret_cast<xcb_reparent_notify_event_t*>(ev.get());
                    if (e->event == e->window && e->parent != root_) unfollow(e->window);
                    break;
                }
                case XCB_CONFIGURE_NOTIFY: {
                    const auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(ev.get());
                    if (e->event == root_ && !e->override_redirect && !isPanel(e->window)) changed = true;
                    break;
                }
                default:
                    break;  // errors of windows that went away, and the rest
            }
        }
        return changed;
    }

    bool isPanel(xcb_window_t window) const {
        for (QWidget* p : panels_)
            if (p->testAttribute(Qt::WA_WState_Created) && xcb_window_t(p->winId()) == window) return true;
        return false;
    }

    // A window that comes up is looked at at once; bursts of restacking (a window being dragged)
    // come down to one look per 50 ms, the last at their end. True when it looked now.
    bool lookWhenDue() {
        if (panels_.empty() || raiseTimer_.isActive()) return false;
        if (const qint64 since = sinceLook_.elapsed(); since < lookInterval) {
            raiseTimer_.start(int(lookInterval - since));
            return false;
        }
        lookNow();
        return true;
    }

    static constexpr qint64 lookInterval = 50;  // ms

    std::vector<QWidget*> panels_;
    QTimer raiseTimer_;
    bool tried_ = false;
    std::unique_ptr<OwnXcbConnection> connection_;
    std::unique_ptr<StackAtoms> atoms_;
    std::vector<xcb_window_t> guess_;
    HiddenWindows hidden_;
    QElapsedTimer sinceLook_;
    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t supportedAtom_ = 0;
    xcb_atom_t stackingAtom_ = 0;
    xcb_atom_t checkAtom_ = 0;
    xcb_window_t checkWindow_ = 0;
    bool wmListsStacking_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

void keepPanelRaised(QWidget* panel) {
    StackingWatcher::shared().add(panel);
}

void stopRaisingPanel(QWidget* panel) {
    StackingWatcher::shared().remove(panel);
}

void raisePanel(QWidget* panel) {
    StackingWatcher::shared().raise(panel);
}

}  // namespace platform::qt
