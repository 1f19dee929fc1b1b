#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <string_view>

namespace platform::qt {

// The design's symbol names drawn from the desktop's icon theme: one table from each symbol
// name to a freedesktop icon name, with Adwaita (installed with the program) behind the
// user's theme. An unknown name gives a null icon.
QIcon symbolImage(std::string_view symbolName);

// The symbol as a square pixmap of `side` points, its shape filled with `tint`, as symbolic
// icons are meant to be drawn.
QPixmap symbolPixmap(std::string_view symbolName, int side, const QColor& tint, qreal devicePixelRatio = 1.0);

// The same symbol as an icon drawn afresh at whatever size and pixel ratio it is shown at, for
// buttons; null for an unknown name. Shown in a box wider than tall, it stands square at the
// box's start.
QIcon symbolIcon(std::string_view symbolName, const QColor& tint);

}  // namespace platform::qt
