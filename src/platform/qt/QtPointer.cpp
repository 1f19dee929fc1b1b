#include "platform/qt/QtPointer.h"

#include <QCursor>
#include <QGuiApplication>

#include "platform/qt/QtScreens.h"
#include "platform/qt/X11Display.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>

namespace platform::qt {

// Opened at the start, while the server answers: an open waits for the server without a limit.
QtPointer::QtPointer() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11) connection_ = OwnX11Connection::open();
}

QtPointer::~QtPointer() = default;

Point QtPointer::askPixels(const PixelSpace& space) const {
    if (connection_) {
        Display* display = connection_->display();
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int mask = 0;
        if (XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &mask))
            return {double(rootX), double(rootY)};
    }
    // Off X11, or on another X screen: as Qt has it.
    const QPoint p = QCursor::pos();
    return space.toPixels(Point{double(p.x()), double(p.y())});
}

Point QtPointer::location() const {
    constexpr auto fresh = std::chrono::milliseconds(8);
    const auto now = std::chrono::steady_clock::now();
    if (asked_ != std::chrono::steady_clock::time_point{} && now - asked_ < fresh) return last_;
    const PixelSpace space = currentPixelSpace();
    last_ = space.toGlobal(askPixels(space));
    asked_ = now;
    return last_;
}

bool QtPointer::isAnyButtonPressed() const { return QGuiApplication::mouseButtons() != Qt::NoButton; }

bool QtPointer::isCommandHeld() const {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

}  // namespace platform::qt
