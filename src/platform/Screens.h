#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/MainLoop.h"
#include "platform/NotificationCenter.h"
#include "platform/Screen.h"

namespace platform {

// The connected displays.
class ScreenList {
public:
    virtual ~ScreenList() = default;

    // Every display, the primary one first; empty when there is no display.
    virtual std::vector<Screen> screens() const = 0;
    // The display the user works on (the one holding the focused window), else the primary
    // one; nothing when there is no display.
    virtual std::optional<Screen> mainScreen() const = 0;
};

// Turns a burst of display changes into one screenParametersChanged notification on the next
// turn of the loop, so observers rebuild once after the display server has settled.
class ScreenChangeCoalescer {
public:
    ScreenChangeCoalescer(MainLoop& loop, NotificationCenter& center);
    ~ScreenChangeCoalescer();
    ScreenChangeCoalescer(const ScreenChangeCoalescer&) = delete;
    ScreenChangeCoalescer& operator=(const ScreenChangeCoalescer&) = delete;

    void noteChange();

private:
    struct State;
    MainLoop& loop_;
    std::shared_ptr<State> state_;
};

}  // namespace platform
