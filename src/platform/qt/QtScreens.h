#pragma once

#include <QObject>
#include <QPointF>
#include <QRect>
#include <QString>
#include <vector>

#include "platform/Screens.h"
#include "platform/desktop/PixelSpace.h"
#include "platform/qt/X11DockAreas.h"

class QScreen;

namespace platform::qt {

// A rectangle of Qt's virtual desktop (top-left origin, y down) in global y-up points, given
// the primary screen's Qt geometry.
Rect fromQtGeometry(const QRect& rect, const QRect& primaryGeometry);
// The primary screen's Qt geometry; empty without a display.
QRect primaryGeometry();
// Qt global coordinates (top-left, y down) to global y-up points, and back, by the primary
// screen as it is now.
Point fromQtPoint(QPointF p);
QRect toQtGeometry(const Rect& r);
// A display number that stays the same for an output name across runs and plugging; never 0.
uint32_t displayIDForOutputName(const QString& name);
// eDP, LVDS and DSI outputs are a laptop's or tablet's own panel.
bool isBuiltInOutputName(const QString& name);

// Qt's screens in global y-up points, the primary screen first; empty without a display. Each
// visible frame leaves out the taskbars along that screen's own edges, by `docks` when given
// (Qt 6.4 on X11 reports whole monitors as usable once there are several), else as the dock
// watcher last read them.
std::vector<Screen> currentScreens(const std::optional<X11DockAreas>& docks);
std::vector<Screen> currentScreens();
// Between X pixels and points on Qt's screens as they are now, the primary first (the order of
// currentScreens). Read from Qt's list in memory, without asking the server.
PixelSpace currentPixelSpace();
// Where `screen` is among currentPixelSpace()'s monitors; nullopt for one Qt no longer lists.
std::optional<size_t> pixelMonitorIndex(QScreen* screen);
// The screen of currentPixelSpace()'s monitor `index`; null past the last.
QScreen* screenOfPixelMonitor(size_t index);
// The part of `screen` that windows may take, in Qt's global space: the taskbars along its own
// edges left out, as the dock watcher last read them.
QRect workArea(QScreen* screen);

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
    Subscription docksChanged_;
    // Owns the connections: they end with us.
    QObject context_;
};

}  // namespace platform::qt
