#pragma once

#include <QPainter>
#include <QRectF>
#include <QWidget>

namespace menubar::qt {

// The panel's backdrop: a solid tint under a faint diagonal gradient, or the plain window
// colour when `opaque`; clipped to a rounded rectangle with a thin light rim.
class GlassMenuBackdrop {
public:
    static constexpr double cornerRadius = 18;
    static void paint(QPainter& p, const QRectF& rect, bool dark, bool opaque);
};

// Makes the panel's popup window see-through where a compositing manager draws it; elsewhere
// alpha would show black, so the window is cut to the rounded shape and drawn opaque.
class MenuWindowTransparencyBridge {
public:
    // Before the window first shows.
    static void attach(QWidget* window);
    // At each showing and resize; true when the window is see-through.
    static bool update(QWidget* window);
};

}  // namespace menubar::qt
