#include "platform/qt/QtPointer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace platform::qt {

Point QtPointer::location() const {
    QPoint p = QCursor::pos();
    QScreen* primary = QGuiApplication::primaryScreen();
    QRect g = primary ? primary->geometry() : QRect();
    return {double(p.x() - g.x()), double(g.y() + g.height() - p.y())};
}

}  // namespace platform::qt
