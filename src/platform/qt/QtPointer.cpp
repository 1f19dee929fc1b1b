#include "platform/qt/QtPointer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "platform/qt/X11Display.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>

namespace platform::qt {

QPoint logicalPointerPosition(QPoint native, const std::vector<std::pair<QRect, double>>& screens) {
    if (screens.empty()) return native;
    auto onScreen = screens.front();
    for (const auto& screen : screens) {
        const auto& [g, ratio] = screen;
        QRect nativeRect(g.topLeft(), QSize(int(std::lround(g.width() * ratio)), int(std::lround(g.height() * ratio))));
        if (nativeRect.contains(native)) {
            onScreen = screen;
            break;
        }
    }
    const auto& [g, ratio] = onScreen;
    if (ratio <= 0) return native;
    return g.topLeft() + QPoint(int(std::floor((native.x() - g.x()) / ratio)), int(std::floor((native.y() - g.y()) / ratio)));
}

// Opened at the start, while the server answers: an open waits for the server without a limit.
QtPointer::QtPointer() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11) connection_ = OwnX11Connection::open();
}

QtPointer::~QtPointer() = default;

QPoint QtPointer::ask() const {
    if (!connection_) return QCursor::pos();
    Display* display = connection_->display();
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &mask))
        return QCursor::pos();  // on another X screen
    std::vector<std::pair<QRect, double>> screens;
    for (QScreen* s : QGuiApplication::screens()) screens.emplace_back(s->geometry(), s->devicePixelRatio());
    return logicalPointerPosition({rootX, rootY}, screens);
}

Point QtPointer::location() const {
    constexpr auto fresh = std::chrono::milliseconds(8);
    const auto now = std::chrono::steady_clock::now();
    if (asked_ != std::chrono::steady_clock::time_point{} && now - asked_ < fresh) return last_;
    QPoint p = ask();
    QScreen* primary = QGuiApplication::primaryScreen();
    QRect g = primary ? primary->geometry() : QRect();
    last_ = {double(p.x() - g.x()), double(g.y() + g.height() - p.y())};
    asked_ = now;
    return last_;
}

bool QtPointer::isAnyButtonPressed() const { return QGuiApplication::mouseButtons() != Qt::NoButton; }

bool QtPointer::isCommandHeld() const {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

}  // namespace platform::qt
