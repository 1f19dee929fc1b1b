#pragma once

#include <array>
#include <optional>
#include <vector>

#include "platform/Geometry.h"

namespace platform {

// What a dock window (a taskbar) keeps for itself along the X screen's edges, in X pixels from
// the edges of the whole X screen: left, right, top, bottom, then the first and last pixel
// along each edge (left's y, right's y, top's x, bottom's x), as _NET_WM_STRUT_PARTIAL has them.
using DockStrut = std::array<long, 12>;

// A strut given only as its four widths (_NET_WM_STRUT) spans the whole length of each edge.
DockStrut fullLengthStrut(long left, long right, long top, long bottom);

// Each monitor's area left for windows, in X pixels (top-left origin, y down, as the monitors
// are given). A strut counts on the monitor in which its inner edge lies, so a taskbar along
// the bottom of one monitor leaves its neighbours whole. With a single monitor the window
// manager's work area, when there is one, is taken as it stands.
std::vector<Rect> visibleMonitorAreas(const std::vector<Rect>& monitors, Size screen,
                                      const std::vector<DockStrut>& struts, std::optional<Rect> workArea);

}  // namespace platform
