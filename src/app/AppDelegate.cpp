#include "app/AppDelegate.h"

#include "app/AppController.h"
#include "menubar/MenuBarEntryController.h"
#include "menubar/stash/MenuBarMealController.h"
#include "model/AppModel.h"

namespace app {

void TuftleAppDelegate::applicationDidFinishLaunching() {
    // There is no taskbar entry or main window to set up: the backend never creates one.
    menubar::MenuBarEntryController::shared().start();
    AppController::shared().start();
}

void TuftleAppDelegate::applicationWillTerminate() {
    auto& controller = AppController::shared();
    controller.updateDownloader().cancel();
    menubar::stash::MenuBarMealController::shared().engine().stop();
    // Key counts are saved in batches; the last batch must reach the store before it is flushed.
    model::AppModel::shared().flushPendingWrites();
    controller.runtimeHealth().markCleanExit();
    menubar::MenuBarEntryController::shared().stop();
}

}  // namespace app
