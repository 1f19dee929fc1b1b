#include "app/AppController.h"
#include "model/AppModel.h"

namespace app {

void AppController::checkForUpdates() {
    using updates::UpdateCheckResult;
    using updates::UpdateDownloadState;
    if (model_.updateCheckResult.get() == UpdateCheckResult::checking()) return;
    const auto download = model_.updateDownloadState->kind;
    if (download == UpdateDownloadState::Kind::downloading || download == UpdateDownloadState::Kind::verifying) return;

    model_.updateDownloadState = UpdateDownloadState::idle();
    model_.updateCheckResult = UpdateCheckResult::checking();
    // This build carries no update feed yet.
    model_.updateCheckResult = UpdateCheckResult::notConfigured();
}

}  // namespace app
