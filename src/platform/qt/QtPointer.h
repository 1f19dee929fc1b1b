#pragma once

#include <chrono>

#include "platform/Pointer.h"

namespace platform::qt {

// QCursor's position, turned into the design's y-up global space. Each ask is an X round trip;
// asks within a few milliseconds of each other (both pets in one wake-up) share one.
class QtPointer final : public Pointer {
public:
    Point location() const override;
    // Buttons as far as this program has seen them; the modifier as the X server has it now.
    bool isAnyButtonPressed() const override;
    bool isCommandHeld() const override;

private:
    mutable Point last_;
    mutable std::chrono::steady_clock::time_point asked_{};
};

}  // namespace platform::qt
