#include "platform/qt/QtScreens.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace platform::qt {
namespace {

// Qt counts y downward from the top of the virtual desktop; ours grows upward from the
// bottom-left corner of the primary screen.
Rect flipped(const QRect& r, const QRect& primary) {
    const double primaryBottom = static_cast<double>(primary.y()) + primary.height();
    return {static_cast<double>(r.x() - primary.x()), primaryBottom - (static_cast<double>(r.y()) + r.height()),
            static_cast<double>(r.width()), static_cast<double>(r.height())};
}

}  // namespace

std::vector<Screen> currentScreens() {
    std::vector<Screen> out;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return out;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return out;
    QList<QScreen*> screens = QGuiApplication::screens();
    screens.removeAll(primary);
    screens.prepend(primary);
    const QRect primaryFrame = primary->geometry();
    uint32_t index = 0;
    for (QScreen* screen : screens) {
        // Qt gives no stable display number; the position in the list serves while it lasts.
        out.push_back({flipped(screen->geometry(), primaryFrame), flipped(screen->availableGeometry(), primaryFrame),
                       ++index});
    }
    return out;
}

}  // namespace platform::qt
