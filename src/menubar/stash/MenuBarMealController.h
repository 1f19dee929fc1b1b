#pragma once

#include <memory>

#include "menubar/stash/MenuBarMealEngine.h"

namespace menubar::stash {

// Owns the icon stash's engine chosen for this desktop.
class MenuBarMealController final {
public:
    static MenuBarMealController& shared();
    MenuBarMealEngine& engine() { return *engine_; }

private:
    MenuBarMealController();
    std::unique_ptr<MenuBarMealEngine> engine_;
};

}  // namespace menubar::stash
