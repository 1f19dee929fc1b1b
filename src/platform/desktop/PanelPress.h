#pragma once

#include <functional>
#include <optional>

#include "platform/Geometry.h"

namespace platform {

// Whether a panel takes a press at `location` (panel points, y up): never while clicks go
// through it, only inside its clip, and only where its hit test (when it has one) says so.
bool panelTakesPress(Point location, bool ignoresMouse, const std::optional<Rect>& clip,
                     const std::function<bool(Point)>& hitTest);

}  // namespace platform
