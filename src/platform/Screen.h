#pragma once

#include <cstdint>
#include <vector>

#include "platform/Geometry.h"

namespace platform {

// One display as the behaviour code sees it, in global y-up points.
struct Screen {
    Rect frame;
    // The frame without panels and taskbars.
    Rect visibleFrame;
    uint32_t displayID = 0;

    friend bool operator==(const Screen&, const Screen&) = default;
};

}  // namespace platform
