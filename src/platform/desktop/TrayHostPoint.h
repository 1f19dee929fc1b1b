#pragma once

#include <optional>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Screen.h"

namespace platform {

// A click position a tray host reported, taken to X pixels (top-left origin, y down). Hosts send
// it in pixels of their own scale (a host drawn at scale 2 halves them), and nothing on the bus
// says which: the scale, a whole number up to 4, is the one that puts the point nearest the
// pointer, which is on the icon while the host calls. With the pointer far from every reading
// (an icon activated from the keyboard) the point is taken as X pixels.
Point trayHostPointInPixels(Point reported, std::optional<Point> pointerPixels);

// Where the icon is, from the pointer read as a host's menu for it opens (y-up points, as the
// screens are given). The pointer is on the icon then, unless the program answered late and it
// has already moved onto the menu, which the host puts beside its panel. The icon is in that
// panel, outside the area left for windows, so a reading inside that area is taken just across
// the nearest of its edges that borders a panel.
Point trayIconPointFromMenuPointer(Point pointer, const std::vector<Screen>& screens);

}  // namespace platform
