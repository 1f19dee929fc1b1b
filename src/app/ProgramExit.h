#pragma once

#include <functional>

namespace platform {
class PlistFileDefaults;
}

namespace app {

class AppController;
class DescriptorReserve;
class TuftleAppDelegate;

// How a run ends. A quit goes through the delegate's orderly shutdown while the window system
// answers. When it is gone or hung, every window call could wait for ever: the run then ends at
// once without touching a window, still counting the last key presses, writing the settings
// and recording an orderly end. Qt leaving through exit() when its X connection breaks, as it
// does when the desktop session ends, ends the same way.
class ProgramExit {
public:
    // What the window system says as a quit begins.
    struct WindowSystem {
        // The quit is taken up; false when the connections were cut for it already.
        std::function<bool()> takeQuitOver;
        // Whether the server leaves a request unanswered for that many seconds.
        std::function<bool(double seconds)> stalls;
        // Whether the connections were cut for a quit asked for by a signal.
        std::function<bool()> cutForQuit;
    };

    // `leave` ends the process with a status at once, running nothing more.
    ProgramExit(TuftleAppDelegate& delegate, WindowSystem windowSystem, std::function<void(int status)> leave);
    ~ProgramExit();
    ProgramExit(const ProgramExit&) = delete;
    ProgramExit& operator=(const ProgramExit&) = delete;

    // From here on the program runs: a quit writes `defaults` last, and a process exit that
    // has not passed the terminate path (`hasTerminated`) ends as described above.
    void running(AppController& controller, platform::PlistFileDefaults& defaults,
                 std::function<bool()> hasTerminated);
    // Given back as a quit begins, whichever way it goes, so the quit can open what it needs.
    void holdForQuit(DescriptorReserve& reserve) { reserve_ = &reserve; }
    // The terminate path: the delegate's shutdown, or leaving at once.
    void willTerminate();
    // The event loop returned `status`: the last write. The status to exit with.
    int finished(int status);
    // The process exits without a word from the event loop (run by atexit while running).
    void exitingWithoutTerminate();

private:
    bool saveAtQuit();
    void leaveWithoutWindows(int status);

    TuftleAppDelegate& delegate_;
    WindowSystem windowSystem_;
    std::function<void(int)> leave_;
    AppController* controller_ = nullptr;
    platform::PlistFileDefaults* defaults_ = nullptr;
    std::function<bool()> hasTerminated_;
    DescriptorReserve* reserve_ = nullptr;
};

}  // namespace app
