#include "platform/qt/CompositorProbe.h"

#include <xcb/xcb.h>
#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace platform::qt {
namespace {

class CompositorWatch final : public QAbstractNativeEventFilter {
public:
    static CompositorWatch& shared() {
        static CompositorWatch watch;
        return watch;
    }

    bool running(Display* dpy) {
        if (!dpy_) start(dpy);
        if (watching_) return running_;
        auto now = std::chrono::steady_clock::now();
        if (lastCheck_ == std::chrono::steady_clock::time_point{} || now - lastCheck_ >= std::chrono::seconds(5)) {
            lastCheck_ = now;
            running_ = XGetSelectionOwner(dpy_, selection_) != 0;
        }
        return running_;
    }

    uint64_t add(std::function<void()> fn) {
        listeners_[++lastID_] = std::move(fn);
        return lastID_;
    }
    void remove(uint64_t id) { listeners_.erase(id); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (!watching_ || type != "xcb_generic_event_t") return false;
        auto* event = static_cast<const uint8_t*>(message);
        if ((event[0] & 0x7f) != eventBase_ + XFixesSelectionNotify) return false;
        // The selection's atom follows the type, subtype, sequence, window and owner.
        uint32_t selection = 0;
        std::memcpy(&selection, event + 12, sizeof selection);
        if (selection != uint32_t(selection_)) return false;
        bool now = XGetSelectionOwner(dpy_, selection_) != 0;
        if (now == running_) return false;
        running_ = now;
        // A listener may remove itself or another.
        auto listeners = listeners_;
        for (auto& [id, fn] : listeners)
            if (listeners_.count(id)) fn();
        return false;
    }

private:
    CompositorWatch() = default;

    void start(Display* dpy) {
        dpy_ = dpy;
        char name[32];
        std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", DefaultScreen(dpy));
        selection_ = XInternAtom(dpy, name, False);
        running_ = XGetSelectionOwner(dpy, selection_) != 0;
        int errorBase = 0;
        if (!qGuiApp || !XFixesQueryExtension(dpy, &eventBase_, &errorBase)) return;
        // A window of our own, so that Qt's own watch of selections stays as Qt set it.
        XSetWindowAttributes attrs{};
        Window window = XCreateWindow(dpy, DefaultRootWindow(dpy), -1, -1, 1, 1, 0, 0, InputOnly, nullptr, 0, &attrs);
        XFixesSelectSelectionInput(dpy, window, selection_,
                                   XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                       XFixesSelectionClientCloseNotifyMask);
        XFlush(dpy);
        qGuiApp->installNativeEventFilter(this);
        watching_ = true;
    }

    Display* dpy_ = nullptr;
    Atom selection_ = 0;
    int eventBase_ = 0;
    bool watching_ = false;
    bool running_ = false;
    std::chrono::steady_clock::time_point lastCheck_{};
    std::map<uint64_t, std::function<void()>> listeners_;
    uint64_t lastID_ = 0;
};

}  // namespace

bool compositorRunning(Display* dpy) {
    return CompositorWatch::shared().running(dpy);
}

uint64_t onCompositorChange(std::function<void()> changed) {
    return CompositorWatch::shared().add(std::move(changed));
}

void removeCompositorChange(uint64_t id) {
    CompositorWatch::shared().remove(id);
}

}  // namespace platform::qt
