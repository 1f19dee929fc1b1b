#pragma once

#include <optional>
#include <vector>

#include "platform/Geometry.h"
#include "platform/desktop/DockStruts.h"

namespace platform::qt {

// What the taskbars keep of the X screen, in X pixels: the struts of the managed windows and
// the window manager's work area on the current desktop.
struct X11DockAreas {
    Size screen;
    std::vector<DockStrut> struts;
    std::optional<Rect> workArea;
    friend bool operator==(const X11DockAreas&, const X11DockAreas&) = default;
};

// The managed dock windows (panels, taskbars) shown now, in X pixels: a panel that hides
// reserves no strut, and only its window says where it is while it is out. Only the docks the
// dock watcher knows are asked about, in one batched round trip; empty off X11.
std::vector<Rect> readShownDocks();

}  // namespace platform::qt
