#pragma once

#include <memory>

#include "platform/KeyEventTap.h"

namespace platform::qt {

// Key taps on XInput2 raw key presses of the root window. Each tap reads over an X connection
// of its own, watched on the main loop; raw events are seen whatever window has the focus and
// whoever holds a keyboard grab. Access means the display offers XInput 2.2.
class X11KeyEventTapSystem final : public KeyEventTapSystem {
public:
    X11KeyEventTapSystem();
    ~X11KeyEventTapSystem() override;
    X11KeyEventTapSystem(const X11KeyEventTapSystem&) = delete;
    X11KeyEventTapSystem& operator=(const X11KeyEventTapSystem&) = delete;

    bool preflightListenEventAccess() override;
    // Nothing on X11 asks the user: the answer is the preflight's.
    bool requestListenEventAccess() override;
    std::unique_ptr<KeyEventTap> createKeyDownTap(std::function<void(const KeyTapEvent&)> callback) override;

private:
    struct Probe;
    std::unique_ptr<Probe> probe_;
};

}  // namespace platform::qt
