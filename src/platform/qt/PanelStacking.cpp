#include "platform/qt/PanelStacking.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/qt/X11Display.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform::qt {
namespace {

// What must stay over the pets while it is open: a menu, tooltip or notification of any
// program, our own popups, and our own dialog while it is the one in front. Found in the X
// server's stacking order (root children, bottom to top) at each raise, so nothing is kept.
class Ceilings {
public:
    explicit Ceilings(Display* dpy) : dpy_(dpy), root_(DefaultRootWindow(dpy)) {}

    // The lowest of them on the root, or 0 when none is open.
    Window lowest(const std::vector<Window>& pets) {
        Window parent = 0, rootReturn = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy_, root_, &rootReturn, &parent, &children, &count)) return 0;
        std::vector<Window> stack(children, children + count);
        if (children) XFree(children);
        const auto at = [&stack](Window w) { return size_t(std::find(stack.begin(), stack.end(), w) - stack.begin()); };
        Window found = 0;
        // Menus of other programs come up over every managed window: looked for from the top
        // down to the first managed window.
        for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
            if (std::find(pets.begin(), pets.end(), *it) != pets.end()) continue;
            XWindowAttributes a;
            if (!XGetWindowAttributes(dpy_, *it, &a) || a.map_state != IsViewable) continue;
            if (!a.override_redirect) break;
            if (isMenuLike(*it)) found = *it;
        }
        // Ours count wherever they are: our dialog in front may sit under a dock.
        for (Window w : ownCeilings())
            if (at(w) < stack.size() && (!found || at(w) < at(found))) found = w;
        return found;
    }

private:
    // The root children that hold our popups and our dialog in front.
    std::vector<Window> ownCeilings() {
        std::vector<Window> out;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || !w->testAttribute(Qt::WA_WState_Created)) continue;
            const Qt::WindowType type = w->windowType();
            const bool popup = type == Qt::Popup || type == Qt::ToolTip;
            if (!popup && !(type == Qt::Dialog && w->isActiveWindow())) continue;
            if (Window top = topLevelOf(Window(w->winId()))) out.push_back(top);
        }
        return out;
    }

    // The root child holding `window`: itself, or the window manager's frame around it.
    Window topLevelOf(Window window) {
        for (int depth = 0; depth < 8; ++depth) {
            Window rootReturn = 0, parent = 0;
            Window* children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(dpy_, window, &rootReturn, &parent, &children, &count)) return 0;
            if (children) XFree(children);
            if (parent == root_ || parent == 0) return window;
            window = parent;
        }
        return 0;
    }

    bool isMenuLike(Window window) {
        static const char* const kinds[] = {"_NET_WM_WINDOW_TYPE_POPUP_MENU", "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU",
                                            "_NET_WM_WINDOW_TYPE_MENU",       "_NET_WM_WINDOW_TYPE_COMBO",
                                            "_NET_WM_WINDOW_TYPE_TOOLTIP",    "_NET_WM_WINDOW_TYPE_NOTIFICATION"};
        Atom type = 0;
        int format = 0;
        unsigned long n = 0, after = 0;
        unsigned char* data = nullptr;
        bool menu = false;
        if (XGetWindowProperty(dpy_, window, XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE", False), 0, 16, False, XA_ATOM,
                               &type, &format, &n, &after, &data) == Success &&
            data && type == XA_ATOM && format == 32) {
            const auto* atoms = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < n && !menu; ++i)
                for (const char* kind : kinds)
                    if (atoms[i] == XInternAtom(dpy_, kind, False)) menu = true;
        }
        if (data) XFree(data);
        return menu;
    }

    Display* dpy_;
    Window root_;
};

struct ServerGrabEnd {
    Display* dpy;
    ~ServerGrabEnd() {
        XUngrabServer(dpy);
        XFlush(dpy);
    }
};

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

    // To the front, but below what must stay over the pets (see Ceilings).
    void raise(const std::vector<QWidget*>& shown) {
        if (shown.empty()) return;
        Display* dpy = qtX11Display();
        if (!dpy) {
            for (QWidget* p : shown) p->raise();
            return;
        }
        std::vector<Window> pets;
        for (QWidget* p : shown)
            if (p->testAttribute(Qt::WA_WState_Created)) pets.push_back(Window(p->winId()));
        // Held while the stack is read and the pets are placed: a menu that comes up in between
        // would otherwise end up under them.
        XGrabServer(dpy);
        const ServerGrabEnd ungrab{dpy};
        QuietX11Errors quiet(dpy);
        const Window ceiling = Ceilings(dpy).lowest(pets);
        for (Window pet : pets) {
            if (!ceiling) {
                XRaiseWindow(dpy, pet);
                continue;
            }
            XWindowChanges below{};
            below.sibling = ceiling;
            below.stack_mode = Below;
            XConfigureWindow(dpy, pet, CWSibling | CWStackMode, &below);
        }
    }

private:
    StackingWatcher() {
        raiseTimer_.setSingleShot(true);
        QObject::connect(&raiseTimer_, &QTimer::timeout, [this] {
            std::vector<QWidget*> shown;
            for (QWidget* p : panels_)
                if (p->isVisible()) shown.push_back(p);
            raise(shown);
        });
    }

    void watchRoot() {
        if (tried_) return;
        tried_ = true;
        connection_ = OwnX11Connection::open();
        if (!connection_) return;
        dpy_ = connection_->display();
        root_ = DefaultRootWindow(dpy_);
        supportedAtom_ = XInternAtom(dpy_, "_NET_SUPPORTED", False);
        stackingAtom_ = XInternAtom(dpy_, "_NET_CLIENT_LIST_STACKING", False);
        checkAtom_ = XInternAtom(dpy_, "_NET_SUPPORTING_WM_CHECK", False);
        selectRootEvents();
        notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(dpy_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { takeEvents(); });
    }

    // The window manager may come, go or change after we start: its word is read again when the
    // root names another one, or when the one named ends.
    void selectRootEvents() {
        const bool listed = windowManagerListsStacking();
        wmListsStacking_ = listed;
        XSelectInput(dpy_, root_, PropertyChangeMask | (listed ? 0 : SubstructureNotifyMask));
        XFlush(dpy_);
    }

    // A window manager that runs keeps a check window naming itself; the root's list of what it
    // supports may outlive it.
    bool windowManagerListsStacking() {
        const auto check = properties(root_, checkAtom_, XA_WINDOW);
        if (check.size() != 1) return false;
        checkWindow_ = check[0];
        // Its end comes as the check window's destruction. Selected before the window is read,
        // so that an end in between is heard.
        XSelectInput(dpy_, checkWindow_, StructureNotifyMask);
        if (properties(checkWindow_, checkAtom_, XA_WINDOW) != check) return false;
        const auto supported = properties(root_, supportedAtom_, XA_ATOM);
        return std::find(supported.begin(), supported.end(), stackingAtom_) != supported.end();
    }

    std::vector<unsigned long> properties(Window window, Atom property, Atom expected) {
        std::vector<unsigned long> items;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy_, window, property, 0, 1 << 12, False, expected, &type, &format, &count, &after,
                               &data) != Success)
            return items;
        if (data && type == expected && format == 32) {
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            items.assign(values, values + count);
        }
        if (data) XFree(data);
        return items;
    }

    void takeEvents() {
        // Xlib may have read events into its queue already: empty it, not just the socket.
        while (XPending(dpy_)) {
            XEvent ev;
            XNextEvent(dpy_, &ev);
            if (ev.type == DestroyNotify && ev.xdestroywindow.window == checkWindow_) {
                checkWindow_ = 0;
                selectRootEvents();
                continue;
            }
            if (ev.type == PropertyNotify && ev.xproperty.window == root_) {
                if (ev.xproperty.atom == supportedAtom_ || ev.xproperty.atom == checkAtom_) selectRootEvents();
                if (ev.xproperty.atom == stackingAtom_ && wmListsStacking_) raiseSoon();
                continue;
            }
            if (ev.type == MapNotify && ev.xmap.event == root_ && !ev.xmap.override_redirect &&
                !isPanel(ev.xmap.window))
                raiseSoon();
            if (ev.type == ConfigureNotify && ev.xconfigure.event == root_ && !ev.xconfigure.override_redirect &&
                !isPanel(ev.xconfigure.window))
                raiseSoon();
        }
    }

    bool isPanel(Window window) const {
        for (QWidget* p : panels_)
            if (p->testAttribute(Qt::WA_WState_Created) && Window(p->winId()) == window) return true;
        return false;
    }

    // Bursts of restacking (a window being dragged) come down to one raise per 50 ms.
    void raiseSoon() {
        if (panels_.empty()) return;
        if (!raiseTimer_.isActive()) raiseTimer_.start(50);
    }

    std::vector<QWidget*> panels_;
    QTimer raiseTimer_;
    bool tried_ = false;
    std::unique_ptr<OwnX11Connection> connection_;
    Display* dpy_ = nullptr;
    Window root_ = 0;
    Atom supportedAtom_ = 0;
    Atom stackingAtom_ = 0;
    Atom checkAtom_ = 0;
    Window checkWindow_ = 0;
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
    StackingWatcher::shared().raise({panel});
}

}  // namespace platform::qt
