#include "app/AppDelegate.h"

#include "app/AppController.h"
#include "menubar/MenuBarEntryController.h"
#include "menubar/stash/MenuBarMealController.h"
#include "model/AppModel.h"
#include "model/KeyboardCounter.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "platform/program/ResourceBundle.h"

namespace app {
namespace {

// What the tray's panel reaches of the controller.
menubar::MenuPanelActions panelActions(AppController& controller) {
    menubar::MenuPanelActions actions;
    actions.sendPetsHome = [&controller] { return controller.petCoordinator().sendPetsHome(true, true); };
    actions.refreshKeyboardCounter = [&controller] { controller.keyboardCounter().refresh(); };
    actions.openInputMonitoringSettings = [&controller] { controller.openInputMonitoringSettings(); };
    // The controller's activation opens the window on first use.
    actions.openSettings = [&controller] { controller.activateSettingsWindow(); };
    actions.activateSettingsWindow = [&controller] { controller.activateSettingsWindow(); };
    actions.shortVersion = [] { return platform::ResourceBundle::module().infoString("CFBundleShortVersionString"); };
    return actions;
}

}  // namespace

AppController& TuftleAppDelegate::controller() const {
    return controller_ ? *controller_ : AppController::shared();
}

void TuftleAppDelegate::applicationDidFinishLaunching() {
    // There is no taskbar entry or main window to set up: the backend never creates one.
    auto& entry = menubar::MenuBarEntryController::shared();
    entry.setContentFactory([&controller = controller()](std::function<void()> closePanel) {
        return std::make_unique<menubar::MenuBarContent>(controller.model(), false, std::move(closePanel),
                                                         panelActions(controller));
    });
    entry.start();
    controller().start();
}

void TuftleAppDelegate::applicationShouldHandleReopen() {
    menubar::MenuBarEntryController::shared().openPanel();
}

void TuftleAppDelegate::applicationWillTerminate() {
    auto& controller = this->controller();
    controller.updateDownloader().cancel();
    menubar::stash::MenuBarMealController::shared().engine().stop();
    // Key presses still in the tap, and those of the last moment waiting for a coalesced
    // write, must land before the store is flushed and before the run counts as ended cleanly.
    controller.keyboardCounter().countPendingPresses();
    controller.model().flushPendingWrites();
    controller.runtimeHealth().markCleanExit();
    menubar::MenuBarEntryController::shared().stop();
}

}  // namespace app
