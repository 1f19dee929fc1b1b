#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/PetEnums.h"
#include "model/RuntimeHealth.h"
#include "platform/Alert.h"
#include "platform/Subscription.h"
#include "platform/Window.h"
#include "updates/UpdateChecker.h"
#include "updates/UpdateDownloadController.h"

namespace model {
class AppModel;
class CompanionTracker;
class KeyboardCounter;
}  // namespace model

namespace pets {
class PetWindowCoordinator;
}

namespace app {

// The user-defaults key of the last automatic update check (a date).
inline constexpr const char* kLastAutomaticUpdateCheckKey = "lastAutomaticUpdateCheck";

// The one application controller: owns the long-lived services, starts them in order, and
// keeps the program reacting to wake, activation and a change of language. Main thread only.
class AppController final {
public:
    // Created on first use over the shared model and the installed platform services.
    static AppController& shared();
    // A controller over `model`, using the installed platform services; `model` outlives it.
    explicit AppController(model::AppModel& model);
    ~AppController();
    AppController(const AppController&) = delete;
    AppController& operator=(const AppController&) = delete;

    // The start-up sequence; called once after launching finished.
    void start();

    model::AppModel& model() { return model_; }
    model::RuntimeHealth& runtimeHealth() { return runtimeHealth_; }
    // The services, each created on first use and kept for the controller's life.
    model::KeyboardCounter& keyboardCounter();
    pets::PetWindowCoordinator& petCoordinator();
    model::CompanionTracker& companionTracker();
    updates::UpdateDownloadController& updateDownloader();

    // Reads the login item's state into the model and clears the message.
    void refreshLaunchAtLogin();
    // Switches launch at login; the model then shows the real state, and a failure's reason.
    void setLaunchAtLogin(bool enabled);

    // Shows the welcome window, or brings forward the one there is.
    void showOnboarding();
    // The onboarding window while it is open; closing it releases it.
    platform::Window* onboardingWindow() const { return onboardingWindow_.get(); }
    // What the onboarding content's last button calls: marks onboarding completed and closes
    // the window. Empty until the window was first shown.
    const std::function<void()>& onboardingCompletion() const { return onboardingCompletion_; }
    // What makes the welcome window with its pages, given its title and the completion;
    // without one, an empty window.
    using OnboardingWindowFactory =
        std::function<std::unique_ptr<platform::Window>(const std::string& title, std::function<void()> onComplete)>;
    void setOnboardingWindowFactory(OnboardingWindowFactory factory) { onboardingWindowFactory_ = std::move(factory); }

    // Update operations (AppControllerUpdates.cpp).
    // Checks for an update and writes the outcome into the model; one check at a time, none
    // while a download runs or is being verified.
    void checkForUpdates();
    // Starts downloading the available update, if there is one.
    void downloadAvailableUpdate();
    // Verifies a finished download against its manifest again, then shows it in the file
    // manager; a file that no longer matches is never shown, is removed, and the download
    // state becomes failed.
    void openDownloadedUpdate();
    // At start: clears the Updates folder of what cannot be offered again and offers a verified
    // newer image kept from an earlier run, as if it had just been downloaded.
    void restoreVerifiedUpdate();
    // The feed, build, system and folder the update operations use: this process's, read on
    // first use, unless a test put others in place.
    const updates::UpdateEnvironment& updateEnvironment();
    void setUpdateEnvironmentForTesting(updates::UpdateEnvironment environment);

    // Application actions (AppControllerActions.cpp).
    // Shows the settings window, creating it on first use, and brings it to the front now, on
    // the next turn of the main loop and 0.15 s later, in case something else comes up first.
    void activateSettingsWindow();
    // Brings the settings window to the front if it exists; never any other window.
    void bringSettingsWindowForward();
    // Takes the settings window off the screen for a desktop tour, keeping it as it is (page,
    // messages) for the next activation.
    void putSettingsWindowAway();
    // What makes the settings window with its pages; without one, an empty window.
    void setSettingsWindowFactory(std::function<std::unique_ptr<platform::Window>()> factory) {
        settingsWindowFactory_ = std::move(factory);
    }
    // The settings window while it is open; closing it releases it.
    platform::Window* settingsWindow() const { return settingsWindow_.get(); }
    // Asks where to save, then writes the export there in one piece; a failure shows the
    // "导出失败" alert and leaves no file behind. Cancelling is silent. The file written, or
    // nothing when cancelled or failed.
    std::optional<std::filesystem::path> exportLocalData();
    // Plays a life scene (8 s) or a pose (4 s) on the desktop; false when the coordinator
    // refuses, which leaves a running demonstration and the behaviour as they were.
    bool demonstrateOnDesktop(model::PetLifeScene scene, model::DesktopDemoTarget target);
    bool demonstrateOnDesktop(model::PetActivity pose, model::DesktopDemoTarget target);
    // Says in a window, once a run, that this run's changes are not saved and `why` (the
    // settings file and what stops it).
    void reportSettingsNotSaved(const std::string& why);
    // This desktop has no Input Monitoring pane to open: key presses come from the X server
    // when it offers them. The button looks for them again at once, without waiting for the
    // next poll.
    void openInputMonitoringSettings();

private:
    void requestListenEventAccessIfNeeded();
    // An autostart entry left naming this program where it was before its tree moved names it
    // where it is now, so the next login starts it; one written before the login mark gets it,
    // so the next login leaves a copy the restored session started as it is.
    void bringLoginEntryUpToDate();
    void keyCountingChanged(bool enabled);
    void observeSystem();
    void scheduleAutomaticUpdateCheck();
    // Shows the verified image of the available update as ready, when there is one.
    void offerVerifiedImage();
    // Runs `work` on the next turn of the main loop if the controller still exists.
    void defer(std::function<void()> work);
    // Lets the no-tray notice show, once no welcome window is there for it to cover.
    void releaseOnboardingWindow();

    model::AppModel& model_;
    bool started_ = false;
    std::shared_ptr<model::KeyboardCounter> keyboardCounter_;
    std::unique_ptr<pets::PetWindowCoordinator> petCoordinator_;
    std::shared_ptr<model::CompanionTracker> companionTracker_;
    std::unique_ptr<updates::UpdateDownloadController> updateDownloader_;
    std::optional<updates::UpdateEnvironment> updateEnvironment_;
    std::unique_ptr<updates::UpdateCheckTask> updateCheck_;
    model::RuntimeHealth runtimeHealth_;
    std::shared_ptr<platform::Window> onboardingWindow_;
    std::function<void()> onboardingCompletion_;
    OnboardingWindowFactory onboardingWindowFactory_;
    std::vector<platform::Subscription> cancellables_;
    std::optional<bool> lastKeyCountingEnabled_;  // to pass on only real changes
    // Deferred work holds this weakly and does nothing once the controller is gone.
    std::shared_ptr<char> alive_ = std::make_shared<char>();

    // Application actions (AppControllerActions.cpp).
    bool startDesktopDemo(double duration, const std::function<bool()>& perform);
    bool settingsNotSavedReported_ = false;
    // While the welcome window is still to come, a report waits for it, so it is not covered.
    bool welcomeDue_ = false;
    std::optional<platform::Alert> reportAfterWelcome_;
    std::shared_ptr<platform::Window> settingsWindow_;
    std::function<std::unique_ptr<platform::Window>()> settingsWindowFactory_;
};

}  // namespace app
