#include "platform/qt/QtPointer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace platform::qt {

Point QtPointer::location() const {
    constexpr auto fresh = std::chrono::milliseconds(8);
    const auto now = std::chrono::steady_clock::now();
    if (asked_ != std::chrono::steady_clock::time_point{} && now - asked_ < fresh) return last_;
    QPoint p = QCursor::pos();
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
