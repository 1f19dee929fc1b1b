#pragma once

#include <cstdint>

#include "model/PetEnums.h"
#include "platform/Geometry.h"

namespace pets {

// Where one pet lives: the points of its panel origin at rest and on the way in and out,
// in global y-up points.
struct PetHome {
    uint32_t displayID = 0;
    model::PetHomeKind kind = model::PetHomeKind::dock;
    // The screen edge the pet clings to.
    model::HomeEdge edge = model::HomeEdge::bottom;
    // At rest, partly behind the edge.
    platform::Point origin;
    // Just in front of home with the whole pet showing; travel ends here before docking.
    platform::Point approachOrigin;
    // Wholly behind the edge, 1 pt beyond it.
    platform::Point hiddenOrigin;
    // Only the eyes out.
    platform::Point eyePeekOrigin;
    // Leaning out further than at rest.
    platform::Point peekOrigin;
    // Where the edge lies inside the panel, from the panel's origin across the edge.
    double boundaryOffset = 0;

    // `from` moved `by` points along the edge: rightward on a top or bottom edge, upward at a
    // side. Pets that shift or gather at a home this way stay as far out of it as they were.
    platform::Point alongEdge(platform::Point from, double by) const {
        if (edge == model::HomeEdge::top || edge == model::HomeEdge::bottom) return {from.x + by, from.y};
        return {from.x, from.y + by};
    }

    friend bool operator==(const PetHome&, const PetHome&) = default;
};

}  // namespace pets
