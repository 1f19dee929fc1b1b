#pragma once

namespace app {

class AppController;

// Start-up and shutdown of the application, in their fixed order.
class TuftleAppDelegate final {
public:
    // Works with AppController::shared(), reached when launching finishes.
    TuftleAppDelegate() = default;
    // Works with `controller` instead; it outlives the delegate.
    explicit TuftleAppDelegate(AppController& controller) : controller_(&controller) {}

    // The tray entry first, then the controller's start-up sequence.
    void applicationDidFinishLaunching();
    // The program was started again while it runs: its panel opens, also on a desktop with no
    // tray to click.
    void applicationShouldHandleReopen();
    // Closing the settings or onboarding window never quits.
    bool applicationShouldTerminateAfterLastWindowClosed() const { return false; }
    // Cancels a download, gives stashed icons back, counts the presses the tap still holds,
    // writes what the model still holds back, records the clean exit, removes the tray entry.
    void applicationWillTerminate();

private:
    AppController& controller() const;
    AppController* controller_ = nullptr;
};

}  // namespace app
