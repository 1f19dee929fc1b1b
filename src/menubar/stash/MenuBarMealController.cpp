#include "menubar/stash/MenuBarMealController.h"

namespace menubar::stash {
namespace {

// Hides nothing yet: starting and stopping leave every tray icon where it is, and the face
// looks ahead with its mouth closed.
class InactiveMealEngine final : public MenuBarMealEngine {
public:
    void start() override {}
    void stop() override {}
    void clearMessageAfterLanguageChange() override {}
    bool isEnabled() const override { return false; }
    bool isCollapsed() const override { return false; }
    void prepareControlPosition() override {}
    void attachControl(platform::StatusItem&) override {
        if (onFaceChange) onFaceChange(MenuBarMealFaceState{});
    }
    void toggle() override {}
};

}  // namespace

MenuBarMealController& MenuBarMealController::shared() {
    static MenuBarMealController controller(std::make_unique<InactiveMealEngine>());
    return controller;
}

}  // namespace menubar::stash
