#include "platform/qt/X11TrayInk.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <vector>

#include "platform/qt/TrayTint.h"
#include "platform/qt/X11Display.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform::qt {
namespace {

std::optional<QColor> announcedForeground(Display* dpy) {
    char name[32];
    std::snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d", DefaultScreen(dpy));
    const Window manager = XGetSelectionOwner(dpy, XInternAtom(dpy, name, False));
    if (!manager) return std::nullopt;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, manager, XInternAtom(dpy, "_NET_SYSTEM_TRAY_COLORS", False), 0, 12, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) != Success)
        return std::nullopt;
    std::vector<unsigned long> values;
    if (data && format == 32) {
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        values.assign(longs, longs + count);
    }
    if (data) XFree(data);
    return trayForegroundColour(values);
}

}  // namespace

X11TrayInk::X11TrayInk(std::function<QImage(QSize, qreal)> drawnAlone, std::function<void()> changed)
    : drawnAlone_(std::move(drawnAlone)), changed_(std::move(changed)) {}

void X11TrayInk::painted(QWidget* icon) {
    if (!icon) return;
    if (icon != icon_) {
        if (icon_) icon_->removeEventFilter(this);
        icon_ = icon;
        icon->installEventFilter(this);
        due_ = true;
        checked_ = false;
    }
    if (!due_ || lookPosted_) return;
    lookPosted_ = true;
    // After this paint has reached the window.
    QMetaObject::invokeMethod(this, [this] { look(); }, Qt::QueuedConnection);
}

bool X11TrayInk::eventFilter(QObject* watched, QEvent* event) {
    if (watched == icon_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                             event->type() == QEvent::Show))
        due_ = true, checked_ = false;
    return false;
}

void X11TrayInk::look() {
    lookPosted_ = false;
    Display* dpy = qtX11Display();
    if (!icon_ || !dpy || !icon_->isVisible()) return;
    // Until the tray takes the icon in, its window shows no tray: the look waits for a paint
    // in the tray.
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, Window(icon_->winId()), &root, &parent, &children, &count)) return;
    if (children) XFree(children);
    if (parent == root) return;
    due_ = false;
    if (!checked_) {
        // A tray may draw its ground only after the icon's first paint there: a second look,
        // once, when the docking has settled.
        checked_ = true;
        QTimer::singleShot(1000, this, [this] { look(); });
    }
    std::optional<QColor> ink = announcedForeground(dpy);
    if (!ink) {
        QScreen* screen = icon_->screen();
        if (!screen) return;
        const qreal dpr = icon_->devicePixelRatioF();
        const QImage own = screen->grabWindow(icon_->winId()).toImage();
        std::optional<QColor> bare = bareTrayColour(own, drawnAlone_(own.size(), dpr));
        if (!bare) {
            // A window with alpha shows the tray only on the screen, as the compositor drew it.
            Window child = 0;
            int x = 0, y = 0;
            XTranslateCoordinates(dpy, Window(icon_->winId()), DefaultRootWindow(dpy), 0, 0, &x, &y, &child);
            const QImage shown =
                screen->grabWindow(0, int(x / dpr), int(y / dpr), icon_->width(), icon_->height()).toImage();
            bare = bareTrayColour(shown, drawnAlone_(shown.size(), dpr));
        }
        if (bare) ink = templateTintOn(*bare);
    }
    if (!ink || ink == ink_) return;
    ink_ = ink;
    if (changed_) changed_();
}

}  // namespace platform::qt
