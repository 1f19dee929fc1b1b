#pragma once

#include <memory>

#include "menubar/stash/MenuBarMealEngine.h"

namespace menubar::stash {

// Owns the icon stash's engine chosen for this desktop.
class MenuBarMealController final {
public:
    static MenuBarMealController& shared();
    // A controller around the given engine (tests); shared() picks the desktop's.
    explicit MenuBarMealController(std::unique_ptr<MenuBarMealEngine> engine) : engine_(std::move(engine)) {}
    MenuBarMealEngine& engine() { return *engine_; }

private:
    std::unique_ptr<MenuBarMealEngine> engine_;
};

}  // namespace menubar::stash
