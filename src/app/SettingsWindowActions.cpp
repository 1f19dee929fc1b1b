#include "app/SettingsWindowActions.h"

#include "app/AppController.h"
#include "menubar/MenuBarEntryController.h"
#include "menubar/stash/MenuBarMealController.h"
#include "model/KeyboardCounter.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/coordination/ScreenHomeResolver.h"
#include "platform/program/ResourceBundle.h"
#include "platform/Services.h"

namespace app {

windows::SettingsActions settingsWindowActions(AppController& controller, std::string defaultsFile) {
    windows::SettingsActions actions;
    actions.checkForUpdates = [&controller] { controller.checkForUpdates(); };
    actions.downloadAvailableUpdate = [&controller] { controller.downloadAvailableUpdate(); };
    actions.openDownloadedUpdate = [&controller] { controller.openDownloadedUpdate(); };
    actions.cancelDownload = [&controller] { controller.updateDownloader().cancel(); };
    actions.setLaunchAtLogin = [&controller](bool on) { controller.setLaunchAtLogin(on); };
    actions.refreshLaunchAtLogin = [&controller] { controller.refreshLaunchAtLogin(); };
    actions.sendPetsHome = [&controller] { return controller.petCoordinator().sendPetsHome(true, true); };
    actions.topHomeHasRoom = [] {
        constexpr double side = pets::PetWindowCoordinator::kPetSide;
        return pets::ScreenHomeResolver::topHasRoom(
            pets::ScreenHomeResolver::geometries(platform::screenList().screens()), {side, side});
    };
    actions.trayShowsEntry = [] { return menubar::MenuBarEntryController::shared().trayShowsEntry(); };
    actions.infoString = [](const std::string& key) { return platform::ResourceBundle::module().infoString(key); };
    actions.demonstrateScene = [&controller](auto scene, auto target) {
        return controller.demonstrateOnDesktop(scene, target);
    };
    actions.demonstratePose = [&controller](auto pose, auto target) {
        return controller.demonstrateOnDesktop(pose, target);
    };
    actions.demonstrateAll = [&controller](auto target) { return controller.petCoordinator().demonstrateAll(target); };
    actions.hideSettingsWindow = [&controller] { controller.putSettingsWindowAway(); };
    actions.exportLocalData = [&controller] { return controller.exportLocalData(); };
    actions.switchStashOff = [] { menubar::stash::MenuBarMealController::shared().engine().setEnabled(false); };
    actions.refreshKeyboardCounter = [&controller] { controller.keyboardCounter().refresh(); };
    actions.openInputMonitoringSettings = [&controller] { controller.openInputMonitoringSettings(); };
    actions.defaultsFile = std::move(defaultsFile);
    return actions;
}

}  // namespace app
