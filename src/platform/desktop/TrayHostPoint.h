#pragma once

#include <optional>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Screen.h"
#include "platform/desktop/PixelSpace.h"

namespace platform {

// A click position a tray host reported, taken to X pixels (top-left origin, y down). Nothing on
// the bus says in which space a host counts: X pixels; pixels of one scale about the screen's
// origin, as GTK hosts draw at 2 or 1.5; or a toolkit's points, which keep each monitor of
// `space` at its X pixel corner and scale its size alone, where a reading in the room between
// monitors belongs to the nearest. The reading is taken in each space, at every scale from 1 to 4
// about the origin and at the scales toolkits offer per monitor, and the candidate nearest the
// pointer wins: the pointer is on the icon while the host calls. A scale about the origin within
// a tenth of a whole one is that whole one. With the pointer far from every candidate (an icon
// activated from the keyboard) the point is taken as X pixels.
Point trayHostPointInPixels(Point reported, std::optional<Point> pointerPixels, const PixelSpace& space);

// Where the icon is, from the pointer read as a host's menu for it opens (y-up points, as the
// screens are given). The pointer is on the icon then, unless the program answered late and it
// has already moved onto the menu, which the host puts beside its panel. The icon is in that
// panel, outside the area left for windows, so a reading inside that area within a menu's
// reach of one of its edges that borders a panel is taken just across the nearest such edge.
// Farther in, the pointer is on a panel that reserves no room (one that hides) and is kept.
Point trayIconPointFromMenuPointer(Point pointer, const std::vector<Screen>& screens);

// The panel a tray host shows its icon on, where the area left for windows takes it in: a panel
// that hides reserves no room, and only its own window, at the screen's edge while the pointer
// is on it, says where it is. Of the dock windows on screen (y-up points, as the screens are
// given), the one holding the icon point `at`, or else the nearest within a menu's reach of it
// (a pointer read on the host's menu), when it lies along an edge of the screen holding `at`.
// Nothing for a panel that reserves its room, whose edge the area already keeps.
std::optional<Rect> hidingTrayPanel(Point at, const std::vector<Screen>& screens, const std::vector<Rect>& docks);

// The area `screen` leaves for windows, less `panel` along its nearest edge, as a panel that
// reserved its room would leave it.
Rect areaBesidePanel(const Screen& screen, const Rect& panel);

}  // namespace platform
