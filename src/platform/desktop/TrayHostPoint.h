#pragma once

#include <optional>

#include "platform/Geometry.h"

namespace platform {

// A click position a tray host reported, taken to X pixels (top-left origin, y down). Hosts send
// it in pixels of their own scale (a host drawn at scale 2 halves them), and nothing on the bus
// says which: the scale, a whole number up to 4, is the one that puts the point nearest the
// pointer, which is on the icon while the host calls. With the pointer far from every reading
// (an icon activated from the keyboard) the point is taken as X pixels.
Point trayHostPointInPixels(Point reported, std::optional<Point> pointerPixels);

}  // namespace platform
