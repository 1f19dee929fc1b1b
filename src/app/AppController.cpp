#include "app/AppController.h"

#include <cstdio>

#include "menubar/stash/MenuBarMealController.h"
#include "platform/Services.h"

namespace app {

AppController& AppController::shared() {
    static AppController controller;
    return controller;
}

AppController::AppController() : runtimeHealth_(platform::defaults()) {}

updates::UpdateDownloadController& AppController::updateDownloader() {
    if (!updateDownloader_) updateDownloader_ = std::make_unique<updates::UpdateDownloadController>();
    return *updateDownloader_;
}

void AppController::start() {
    runtimeHealth_.evaluateAtLaunch();
    menubar::stash::MenuBarMealController::shared().engine().start();
    if (runtimeHealth_.recoveredFromUnexpectedExit()) {
        std::fprintf(stderr, "tuftle: recovered from an unexpected exit\n");
    }
}

}  // namespace app
