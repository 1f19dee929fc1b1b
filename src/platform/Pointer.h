#pragma once

#include "platform/Geometry.h"

namespace platform {

// The mouse pointer, asked where it is now.
class Pointer {
public:
    virtual ~Pointer() = default;
    // Global coordinates: points, origin at the primary screen's bottom-left, y up.
    virtual Point location() const = 0;
};

}  // namespace platform
