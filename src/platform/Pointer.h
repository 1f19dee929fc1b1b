#pragma once

#include "platform/Geometry.h"

namespace platform {

// The mouse pointer, asked where it is now.
class Pointer {
public:
    virtual ~Pointer() = default;
    // Global coordinates: points, origin at the primary screen's bottom-left, y up.
    virtual Point location() const = 0;
    // Any mouse button is down now, anywhere on the desktop.
    virtual bool isAnyButtonPressed() const { return false; }
    // The command modifier (Control on Linux) is down now.
    virtual bool isCommandHeld() const { return false; }
};

}  // namespace platform
