#include "menubar/stash/MenuBarMealController.h"

namespace menubar::stash {
namespace {

// Hides nothing yet: starting and stopping leave every tray icon where it is, and the face
// looks ahead with its mouth closed.
class InactiveMealEngine final : public MenuBarMealEngine {
public:
    void prepareControlPosition() override {}
    void attachControl(platform::StatusItem&) override {
        if (onFaceChange) onFaceChange(MenuBarMealFaceState{});
    }
    void start() override {}
    void stop() override {}
    void setEnabled(bool) override {}
    void toggle() override {}
};

}  // namespace

MenuBarMealController::MenuBarMealController() : engine_(std::make_unique<InactiveMealEngine>()) {}

MenuBarMealController& MenuBarMealController::shared() {
    static MenuBarMealController controller;
    return controller;
}

}  // namespace menubar::stash
