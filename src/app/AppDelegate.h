#pragma once

namespace app {

// Start-up and shutdown of the application, in their fixed order.
class TuftleAppDelegate final {
public:
    // The tray entry first, then the controller's start-up sequence.
    void applicationDidFinishLaunching();
    // Closing the settings or onboarding window never quits.
    bool applicationShouldTerminateAfterLastWindowClosed() const { return false; }
    // Cancels a download, gives stashed icons back, records the clean exit, removes the tray entry.
    void applicationWillTerminate();
};

}  // namespace app
