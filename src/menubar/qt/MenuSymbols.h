#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <string>

namespace menubar::qt {

// The panel's small symbols by their design names ("house.fill", "timer", ...), drawn by us in
// one colour so that they look the same on every desktop and icon theme.
bool hasMenuSymbol(const std::string& name);
// Centred in `box` at the size of its shorter side; an unknown name draws nothing.
void drawMenuSymbol(QPainter& painter, const std::string& name, const QRectF& box, const QColor& color);

}  // namespace menubar::qt
