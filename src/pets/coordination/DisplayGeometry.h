#pragma once

#include <cstdint>
#include <optional>

#include "platform/Geometry.h"

namespace pets {

// One connected screen as the homes see it, in global y-up points.
struct DisplayGeometry {
    uint32_t id = 0;
    platform::Rect frame;
    // The frame without the top bar and the panels at the sides and bottom.
    platform::Rect visibleFrame;
    bool isBuiltIn = false;
    bool hasNotch = false;
    // The camera housing at the top edge; nothing when the screen has no top safe area.
    std::optional<platform::Rect> notchFrame;

    friend bool operator==(const DisplayGeometry&, const DisplayGeometry&) = default;
};

}  // namespace pets
