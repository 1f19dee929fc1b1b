#pragma once

#include <memory>
#include <optional>

#include "menubar/stash/MenuBarMealEngine.h"
#include "platform/Signal.h"
#include "platform/StatusItem.h"

namespace menubar::stash {

// Owns the icon stash's engine, chosen once per process.
class MenuBarMealController final {
public:
    // Built on first use over the installed defaults store and status bar.
    static MenuBarMealController& shared();

    // `defaults` holds the two stash settings and outlives the controller. Where `bar` cannot
    // give items a length and a position, the engine never switches on and says why.
    // Otherwise the engine on the menu-visibility interface is chosen when that interface is
    // available, or when `useNative` says so, and the spacer engine else.
    MenuBarMealController(platform::Defaults& defaults, const platform::StatusBar& bar,
                          std::optional<bool> useNative = std::nullopt);
    MenuBarMealController(const MenuBarMealController&) = delete;
    MenuBarMealController& operator=(const MenuBarMealController&) = delete;

    MenuBarMealEngine& engine() { return *engine_; }
    // The engine on the system's menu-visibility interface was chosen.
    bool usesNativeVisibility() const { return usesNativeVisibility_; }
    // False where the bar cannot hide icons: the stash can never be switched on.
    bool isAvailable() const { return isAvailable_; }
    // Sends whenever the engine's objectWillChange sends.
    platform::Signal<>& objectWillChange() { return objectWillChange_; }

private:
    platform::Signal<> objectWillChange_;
    std::unique_ptr<MenuBarMealEngine> engine_;
    platform::Subscription observation_;
    bool usesNativeVisibility_ = false;
    bool isAvailable_ = false;
};

}  // namespace menubar::stash
