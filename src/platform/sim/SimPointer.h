#pragma once

#include "platform/Pointer.h"

namespace platform::sim {

// A pointer that stays where the test put it.
class SimPointer final : public Pointer {
public:
    Point location() const override { return location_; }
    void moveTo(Point location) { location_ = location; }

private:
    Point location_;
};

}  // namespace platform::sim
