#include <string>

#include "app/AppController.h"
#include "model/AppModel.h"
#include "model/DataExport.h"
#include "model/L10n.h"
#include "model/LocalizedAlert.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "platform/storage/AtomicFile.h"
#include "platform/Services.h"

namespace app {
namespace {

constexpr platform::Size kSettingsWindowSize{920, 640};
constexpr double kSettingsRaiseRetryDelay = 0.15;  // s
constexpr double kLifeSceneDemoDuration = 8.0;     // s
constexpr double kPoseDemoDuration = 4.0;          // s

std::string settingsTitle() {
    return model::L10n::t("设置");
}

std::string writeFailureDescription(const std::filesystem::path& file, const std::error_code& error) {
    const std::string folder = file.has_parent_path() ? file.parent_path().string() : std::string(".");
    return model::L10n::format(model::L10n::t("无法将文件“%@”存储到文件夹“%@”中：%@。"),
                               {file.filename().string(), folder, error.message()});
}

}  // namespace

void AppController::activateSettingsWindow() {
    if (!settingsWindow_) {
        settingsWindow_ = settingsWindowFactory_ ? settingsWindowFactory_()
                                                 : platform::windowFactory().createWindow(settingsTitle(), kSettingsWindowSize);
        settingsWindow_->center();
        // Released once closed: an idle program keeps no window it does not show.
        settingsWindow_->setOnClosed([this] {
            defer([this] {
                if (settingsWindow_ && !settingsWindow_->isVisible()) settingsWindow_.reset();
            });
        });
    }
    bringSettingsWindowForward();
    defer([this] { bringSettingsWindowForward(); });
    platform::mainLoop().after(kSettingsRaiseRetryDelay, [this, alive = std::weak_ptr<char>(alive_)] {
        if (!alive.expired()) bringSettingsWindowForward();
    });
}

void AppController::bringSettingsWindowForward() {
    // Only the window we made: guessing by title or style could raise the onboarding window
    // or the achievement wall instead.
    if (!settingsWindow_) return;
    settingsWindow_->setTitle(settingsTitle());
    settingsWindow_->makeKeyAndOrderFront();
}

void AppController::putSettingsWindowAway() {
    if (settingsWindow_) settingsWindow_->orderOut();
}

std::optional<std::filesystem::path> AppController::exportLocalData() {
    platform::SavePanelRequest request;
    request.title = model::L10n::t("导出栗丸本机数据");
    request.proposedFileName = model::proposedExportFileName(platform::mainLoop().now());
    request.allowedExtensions = {"json"};
    const auto destination = platform::savePanels().runModal(request);
    if (!destination || destination->empty()) return std::nullopt;

    std::string failure;
    try {
        const std::string data = model_.exportData();
        if (const auto error = platform::writeFileAtomically(*destination, data))
            failure = writeFailureDescription(*destination, error);
    } catch (const model::DataExportError&) {
        failure = model::L10n::t("数据中有无法写成 JSON 的值。");
    }
    if (failure.empty()) return destination;
    // The export is the user's own request from a window of ours.
    platform::alerts().runModal(model::localizedAlert(model::L10n::t("导出失败"), failure), platform::AlertCause::user);
    return std::nullopt;
}

void AppController::reportSettingsNotSaved(const std::string& why) {
    if (settingsNotSavedReported_) return;
    settingsNotSavedReported_ = true;
    auto alert =
        model::localizedAlert(model::L10n::t("栗丸无法保存设置"),
                              model::L10n::format(model::L10n::t("%@。在此问题解决之前，改动不会被保存。"), {why}));
    if (welcomeDue_)
        reportAfterWelcome_ = std::move(alert);
    else
        platform::alerts().show(alert, platform::AlertCause::program);
}

bool AppController::demonstrateOnDesktop(model::PetLifeScene scene, model::DesktopDemoTarget target) {
    return startDesktopDemo(kLifeSceneDemoDuration,
                            [this, scene, target] { return petCoordinator().performDesktopScene(scene, target); });
}

bool AppController::demonstrateOnDesktop(model::PetActivity pose, model::DesktopDemoTarget target) {
    return startDesktopDemo(kPoseDemoDuration,
                            [this, pose, target] { return petCoordinator().performDesktopPose(pose, target); });
}

bool AppController::startDesktopDemo(double duration, const std::function<bool()>& perform) {
    auto& coordinator = petCoordinator();
    // A refused demonstration cancels nothing and pauses nothing.
    if (!coordinator.mayDemonstrate()) return false;
    coordinator.desktopDemoGeneration = platform::uuids().next();
    // On the monotonic clock: setting the system clock back must not pause the pets for hours.
    coordinator.desktopDemoUntil = platform::mainLoop().mediaTime() + duration;
    return perform();
}

}  // namespace app
