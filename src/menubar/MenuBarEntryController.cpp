#include "menubar/MenuBarEntryController.h"

#include "platform/Services.h"

namespace menubar {

MenuBarEntryController& MenuBarEntryController::shared() {
    static MenuBarEntryController controller;
    return controller;
}

void MenuBarEntryController::start() {
    if (statusItem_) return;
    statusItem_ = platform::statusBar().createStatusItem();
    refreshLocalizedTooltip();
    statusItem_->setMenu({{"退出", [] { platform::application().terminate(); }}});
}

void MenuBarEntryController::stop() { statusItem_.reset(); }

void MenuBarEntryController::refreshLocalizedTooltip() {
    if (statusItem_) statusItem_->setToolTip("栗丸");
}

}  // namespace menubar
