#include "platform/qt/PanelStacking.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "platform/qt/X11Display.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace platform::qt {
namespace {

class StackingWatcher final : public QAbstractNativeEventFilter {
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

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || panels_.empty()) return false;
        auto* ev = static_cast<xcb_generic_event_t*>(message);
        switch (ev->response_type & 0x7f) {
            case XCB_MAP_NOTIFY: {
                auto* e = static_cast<xcb_map_notify_event_t*>(message);
                if (e->event == root_ && !e->override_redirect && !isPanel(e->window)) raiseSoon();
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                auto* e = static_cast<xcb_configure_notify_event_t*>(message);
                if (e->event == root_ && !e->override_redirect && !isPanel(e->window)) raiseSoon();
                break;
            }
            default:
                break;
        }
        return false;
    }

private:
    StackingWatcher() {
        raiseTimer_.setSingleShot(true);
        QObject::connect(&raiseTimer_, &QTimer::timeout, [this] {
            for (QWidget* p : panels_)
                if (p->isVisible()) p->raise();
        });
    }

    void watchRoot() {
        if (watching_) return;
        Display* dpy = qtX11Display();
        if (!dpy) return;
        watching_ = true;
        root_ = uint32_t(DefaultRootWindow(dpy));
        XWindowAttributes attrs;
        // Our selection on the root is shared with Qt's: add to it, never replace it.
        if (XGetWindowAttributes(dpy, root_, &attrs))
            XSelectInput(dpy, root_, attrs.your_event_mask | SubstructureNotifyMask);
        XFlush(dpy);
        qGuiApp->installNativeEventFilter(this);
    }

    bool isPanel(uint32_t window) const {
        for (QWidget* p : panels_)
            if (p->testAttribute(Qt::WA_WState_Created) && uint32_t(p->winId()) == window) return true;
        return false;
    }

    // Bursts of restacking (a window being dragged) come down to one raise per 50 ms.
    void raiseSoon() {
        if (!raiseTimer_.isActive()) raiseTimer_.start(50);
    }

    std::vector<QWidget*> panels_;
    QTimer raiseTimer_;
    bool watching_ = false;
    uint32_t root_ = 0;
};

}  // namespace

void keepPanelRaised(QWidget* panel) {
    StackingWatcher::shared().add(panel);
}

void stopRaisingPanel(QWidget* panel) {
    StackingWatcher::shared().remove(panel);
}

}  // namespace platform::qt
