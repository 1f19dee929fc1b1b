#pragma once

#include <chrono>
#include <memory>

#include "platform/Pointer.h"
#include "platform/desktop/PixelSpace.h"

namespace platform::qt {

class OwnX11Connection;

// The pointer's position, turned into the design's y-up global space. Each ask is an X round
// trip on a connection of this program's own, so that Qt's event reader does not wake for it;
// asks within a few milliseconds of each other (both pets in one wake-up) share one.
class QtPointer final : public Pointer {
public:
    QtPointer();
    ~QtPointer() override;
    QtPointer(const QtPointer&) = delete;
    QtPointer& operator=(const QtPointer&) = delete;

    Point location() const override;
    // Buttons as far as this program has seen them; the modifier as the X server has it now.
    bool isAnyButtonPressed() const override;
    bool isCommandHeld() const override;

private:
    // Where the pointer is on the X screen.
    Point askPixels(const PixelSpace& space) const;

    mutable Point last_;
    mutable std::chrono::steady_clock::time_point asked_{};
    std::unique_ptr<OwnX11Connection> connection_;
};

}  // namespace platform::qt
