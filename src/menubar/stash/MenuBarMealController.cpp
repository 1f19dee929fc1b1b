#include "menubar/stash/MenuBarMealController.h"

namespace menubar::stash {
namespace {

// Hides nothing yet: starting and stopping leave every tray icon where it is.
class InactiveMealEngine final : public MenuBarMealEngine {
public:
    void start() override {}
    void stop() override {}
    void clearMessageAfterLanguageChange() override {}
};

}  // namespace

MenuBarMealController::MenuBarMealController() : engine_(std::make_unique<InactiveMealEngine>()) {}

MenuBarMealController& MenuBarMealController::shared() {
    static MenuBarMealController controller;
    return controller;
}

}  // namespace menubar::stash
