#pragma once

#include <optional>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Screen.h"

namespace platform {

// A click position a tray host reported, taken to X pixels (top-left origin, y down). Hosts send
// it in pixels of their own scale (a host drawn at scale 2 halves them, one at 1.5 divides them
// by 1.5), and nothing on the bus says which: the scale, from 1 to 4, is the one that puts the
// point nearest the pointer, which is on the icon while the host calls; one within a tenth of a
// whole scale is taken as that whole scale. With the pointer far from every reading (an icon
// activated from the keyboard) the point is taken as X pixels.
Point trayHostPointInPixels(Point reported, std::optional<Point> pointerPixels);

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
