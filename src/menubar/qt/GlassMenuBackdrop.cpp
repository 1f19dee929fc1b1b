#include "menubar/qt/GlassMenuBackdrop.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRegion>

#include "menubar/qt/MenuPanelControls.h"
#include "platform/qt/CompositorProbe.h"
#include "platform/qt/X11Display.h"

namespace menubar::qt {
namespace {

QColor rgb(double r, double g, double b, double a) {
    return QColor::fromRgbF(r, g, b, a);
}

}  // namespace

void GlassMenuBackdrop::paint(QPainter& p, const QRectF& rect, bool dark, bool opaque) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect, cornerRadius, cornerRadius);
    p.setPen(Qt::NoPen);
    if (opaque) {
        p.setBrush(dark ? QColor(50, 50, 52) : QColor(236, 236, 236));
        p.drawPath(shape);
    } else {
        // No blur behind windows on X11: any see-through tint lets the text of the window behind
        // read through it, so the tint is solid and the gradient alone carries the glass.
        p.setBrush(dark ? rgb(0.16, 0.17, 0.19, 1) : rgb(0.95, 0.95, 0.96, 1));
        p.drawPath(shape);
        QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
        gradient.setColorAt(0, dark ? rgb(0.22, 0.31, 0.45, 0.18) : rgb(1, 1, 1, 0.27));
        gradient.setColorAt(0.5, Qt::transparent);
        gradient.setColorAt(1, dark ? rgb(0.12, 0.15, 0.22, 0.12) : rgb(0.76, 0.85, 0.98, 0.12));
        p.setBrush(gradient);
        p.drawPath(shape);
    }
    strokeInside(p, rect, cornerRadius, rgb(1, 1, 1, dark ? 0.16 : 0.72));
    p.restore();
}

void MenuWindowTransparencyBridge::attach(QWidget* window) {
    if (!window) return;
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setAutoFillBackground(false);
}

bool MenuWindowTransparencyBridge::update(QWidget* window) {
    if (!window) return false;
    auto* dpy = platform::qt::qtX11Display();
    const bool composited = dpy && platform::qt::compositorRunning(dpy);
    if (composited) {
        window->clearMask();
    } else {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(window->rect()), GlassMenuBackdrop::cornerRadius, GlassMenuBackdrop::cornerRadius);
        window->setMask(QRegion(shape.toFillPolygon().toPolygon()));
    }
    return composited;
}

}  // namespace menubar::qt
