#pragma once

#include <functional>

#include "platform/StatusItem.h"

namespace menubar {

// Turns a click on the tray entry into the primary (left) or secondary (right) action.
class MenuBarStatusActionRouter {
public:
    std::function<void()> onPrimary;
    std::function<void()> onSecondary;

    // A click with the command modifier held, and any other button, does nothing.
    void performClick(const platform::StatusItemClick& click) const {
        if (click.commandHeld) return;
        const auto& action = click.button == platform::StatusItemClick::Button::primary     ? onPrimary
                             : click.button == platform::StatusItemClick::Button::secondary ? onSecondary
                                                                                            : nothing_;
        if (action) action();
    }

private:
    std::function<void()> nothing_;
};

}  // namespace menubar
