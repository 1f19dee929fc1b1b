#include "app/AppController.h"
#include "platform/program/ResourceBundle.h"
#include "model/AppModel.h"
#include "platform/Services.h"

namespace app {

using updates::UpdateCheckResult;
using updates::UpdateDownloadState;

const updates::UpdateEnvironment& AppController::updateEnvironment() {
    if (!updateEnvironment_) {
        updateEnvironment_ = updates::UpdateEnvironment::running(
            [](const std::string& key) { return platform::ResourceBundle::module().infoString(key); });
    }
    return *updateEnvironment_;
}

void AppController::setUpdateEnvironmentForTesting(updates::UpdateEnvironment environment) {
    updateEnvironment_ = std::move(environment);
    updateDownloader_.reset();
}

updates::UpdateDownloadController& AppController::updateDownloader() {
    if (!updateDownloader_) {
        const auto& environment = updateEnvironment();
        updateDownloader_ = std::make_unique<updates::UpdateDownloadController>(
            model_, platform::httpClient(), platform::backgroundQueue(), environment.rules, environment.downloadFolder,
            environment.runningImage);
    }
    return *updateDownloader_;
}

void AppController::checkForUpdates() {
    if (model_.updateCheckResult.get() == UpdateCheckResult::checking()) return;
    const auto download = model_.updateDownloadState->kind;
    if (download == UpdateDownloadState::Kind::downloading || download == UpdateDownloadState::Kind::verifying) return;

    model_.updateDownloadState = UpdateDownloadState::idle();
    model_.updateCheckResult = UpdateCheckResult::checking();
    updateCheck_ = updates::UpdateChecker::check(updateEnvironment(), platform::httpClient(),
                                                 [this](UpdateCheckResult result) {
                                                     model_.updateCheckResult = result;
                                                     offerVerifiedImage();
                                                 });
}

void AppController::offerVerifiedImage() {
    const auto& result = model_.updateCheckResult.get();
    if (!result || result->kind != UpdateCheckResult::Kind::available || !result->manifest ||
        model_.updateDownloadState->kind != UpdateDownloadState::Kind::idle)
        return;
    // The same update was downloaded and verified before: no need to fetch it again.
    if (auto image = updateDownloader().verifiedImage(*result->manifest))
        model_.updateDownloadState = UpdateDownloadState::ready(*image);
}

void AppController::restoreVerifiedUpdate() {
    updateDownloader().restore(updateEnvironment(), [this](const updates::KeptUpdate& kept) {
        // A check under way or done since offers the image itself when it names the same update.
        if (!model_.updateCheckResult.get()) model_.updateCheckResult = UpdateCheckResult::available(kept.manifest);
        offerVerifiedImage();
    });
}

void AppController::downloadAvailableUpdate() {
    const auto& result = model_.updateCheckResult.get();
    if (!result || result->kind != UpdateCheckResult::Kind::available || !result->manifest) return;
    updateDownloader().start(*result->manifest);
}

void AppController::openDownloadedUpdate() {
    const auto download = model_.updateDownloadState.get();
    const auto& result = model_.updateCheckResult.get();
    if (download.kind != UpdateDownloadState::Kind::ready || !result ||
        result->kind != UpdateCheckResult::Kind::available || !result->manifest)
        return;
    const updates::UpdateManifest manifest = *result->manifest;
    const std::filesystem::path file = download.url;
    model_.updateDownloadState = UpdateDownloadState::verifying();
    // The image may have changed on disk since it was downloaded: hash it again, off the main
    // loop, and show only what still matches. It is shown, never run.
    auto matches = std::make_shared<bool>(false);
    platform::backgroundQueue().run(
        [file, manifest, matches] {
            try {
                updates::UpdateChecker::verifyDownload(file, manifest);
                *matches = true;
            } catch (...) {
            }
        },
        [this, alive = std::weak_ptr<char>(alive_), file, matches] {
            if (alive.expired()) return;
            if (!*matches) {
                // Changed since it was verified: it can never be opened, so it does not stay.
                updateDownloader().discard(file);
                model_.updateDownloadState = UpdateDownloadState::failed();
                return;
            }
            model_.updateDownloadState = UpdateDownloadState::ready(file);
            platform::workspace().revealFile(file);
        });
}

}  // namespace app
