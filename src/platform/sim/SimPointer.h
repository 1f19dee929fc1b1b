#pragma once

#include "platform/Pointer.h"

namespace platform::sim {

// A pointer that stays where the test put it.
class SimPointer final : public Pointer {
public:
    Point location() const override { return location_; }
    void moveTo(Point location) { location_ = location; }
    bool isAnyButtonPressed() const override { return buttonPressed; }
    bool isCommandHeld() const override { return commandHeld; }

    bool buttonPressed = false;
    bool commandHeld = false;

private:
    Point location_;
};

}  // namespace platform::sim
