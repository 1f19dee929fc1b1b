#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace platform {

// One display as the behaviour code sees it, in global y-up points.
struct Screen {
    Rect frame;
    // The frame without panels and taskbars.
    Rect visibleFrame;
    // Stable for as long as the output keeps its name; 0 means the display has no number.
    uint32_t displayID = 0;
    // The output's name as the display server gives it ("eDP-1", "HDMI-2").
    std::string outputName{};
    // A name for people: maker and model when known, else the output's name.
    std::string localizedName{};
    // The computer's own panel (an eDP, LVDS or DSI output).
    bool isBuiltIn = false;
    // Device pixels per point.
    double backingScaleFactor = 1;
    // Room that a camera housing takes from the top of the screen; all zero on Linux.
    EdgeInsets safeAreaInsets{};
    // The usable strips left and right of a camera housing, when there is one.
    std::optional<Rect> auxiliaryTopLeftArea{};
    std::optional<Rect> auxiliaryTopRightArea{};

    friend bool operator==(const Screen&, const Screen&) = default;
};

}  // namespace platform
