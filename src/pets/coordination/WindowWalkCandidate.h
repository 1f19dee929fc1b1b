#pragma once

#include <cstdint>

#include "platform/Geometry.h"

namespace pets {

// The window a pet walks along: its window-system number and its outer frame in global
// y-up points.
struct WindowWalkCandidate {
    uint32_t id = 0;
    platform::Rect bounds;

    friend bool operator==(const WindowWalkCandidate&, const WindowWalkCandidate&) = default;
};

}  // namespace pets
