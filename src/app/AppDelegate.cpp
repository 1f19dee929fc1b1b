#include "app/AppDelegate.h"

#include "app/AppController.h"
#include "menubar/MenuBarEntryController.h"
#include "menubar/stash/MenuBarMealController.h"
#include "model/AppModel.h"

namespace app {

AppController& TuftleAppDelegate::controller() const {
    return controller_ ? *controller_ : AppController::shared();
}

void TuftleAppDelegate::applicationDidFinishLaunching() {
    // There is no taskbar entry or main window to set up: the backend never creates one.
    menubar::MenuBarEntryController::shared().start();
    controller().start();
}

void TuftleAppDelegate::applicationWillTerminate() {
    auto& controller = this->controller();
    controller.updateDownloader().cancel();
    menubar::stash::MenuBarMealController::shared().engine().stop();
    // Key presses of the last second wait for a coalesced write: it must land before the
    // store is flushed, and before the run counts as ended cleanly.
    controller.model().flushPendingWrites();
    controller.runtimeHealth().markCleanExit();
    menubar::MenuBarEntryController::shared().stop();
}

}  // namespace app
