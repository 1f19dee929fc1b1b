#pragma once

#include <QColor>
#include <QImage>
#include <optional>
#include <vector>

// How a tray picture drawn as a template is coloured so that it reads on the tray it sits in,
// whatever the desktop's light or dark scheme says. Plain image rules, kept apart from X.
namespace platform::qt {

// The foreground colour of a _NET_SYSTEM_TRAY_COLORS value (foreground, error, warning and
// success, each as 16-bit red, green and blue); nothing for a value too short to hold one.
std::optional<QColor> trayForegroundColour(const std::vector<unsigned long>& property);

// The colour of the tray where the picture leaves it bare: the commonest colour of `shown` (the
// tray with the picture on it) among the pixels that `drawn` (the picture alone, of the same
// size) leaves transparent and that show opaque. Nothing when too few such pixels are left.
std::optional<QColor> bareTrayColour(const QImage& shown, const QImage& drawn);

// A template colour that stands apart from `background`: near-white on a dark tray, near-black
// on a light one.
QColor templateTintOn(const QColor& background);

// For a tray of unknown colour: the picture tinted `ink` (a template drawn in black with alpha),
// its enclosed holes (the eyes) filled with `contrast` and a rim of `contrast` about
// `rimPixels` wide around it, so it reads on a dark and on a light tray alike.
QImage withContrastRim(const QImage& picture, const QColor& ink, const QColor& contrast, double rimPixels);

}  // namespace platform::qt
