#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <vector>

#include "platform/Screens.h"

class QScreen;

namespace platform::qt {

// A rectangle of Qt's virtual desktop (top-left origin, y down) in global y-up points, given
// the primary screen's Qt geometry.
Rect fromQtGeometry(const QRect& rect, const QRect& primaryGeometry);
// A display number that stays the same for an output name across runs and plugging; never 0.
uint32_t displayIDForOutputName(const QString& name);
// eDP, LVDS and DSI outputs are a laptop's or tablet's own panel.
bool isBuiltInOutputName(const QString& name);

// Qt's screens in global y-up points, the primary screen first; empty without a display.
std::vector<Screen> currentScreens();

// The displays from QGuiApplication. Plugging, unplugging, a new primary display, and changes
// of a display's geometry, work area (panels and taskbars) or scale are announced as
// screenParametersChanged, once per loop turn.
class QtScreenList final : public ScreenList {
public:
    QtScreenList(MainLoop& loop, NotificationCenter& center);
    ~QtScreenList() override;

    std::vector<Screen> screens() const override { return currentScreens(); }
    std::optional<Screen> mainScreen() const override;

private:
    void watch(QScreen* screen);

    ScreenChangeCoalescer changes_;
    // Owns the connections: they end with us.
    QObject context_;
};

}  // namespace platform::qt
