#include "app/ProgramExit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/AppController.h"
#include "app/AppDelegate.h"
#include "app/FileDescriptors.h"
#include "model/AppModel.h"
#include "model/KeyboardCounter.h"
#include "model/RuntimeHealth.h"
#include "platform/storage/PlistFileDefaults.h"

namespace app {
namespace {

// An X server that leaves a request unanswered this long at quit is taken as stopped or hung.
constexpr double kStalledDisplayLimit = 0.5;  // s

// The one that runs; atexit handlers take no argument.
ProgramExit* runningExit = nullptr;

void exitWithoutTerminate() {
    if (runningExit) runningExit->exitingWithoutTerminate();
}

}  // namespace

ProgramExit::ProgramExit(TuftleAppDelegate& delegate, WindowSystem windowSystem, std::function<void(int)> leave)
    : delegate_(delegate), windowSystem_(std::move(windowSystem)), leave_(std::move(leave)) {}

ProgramExit::~ProgramExit() {
    if (runningExit == this) runningExit = nullptr;
}

void ProgramExit::running(AppController& controller, platform::PlistFileDefaults& defaults,
                          std::function<bool()> hasTerminated) {
    controller_ = &controller;
    defaults_ = &defaults;
    hasTerminated_ = std::move(hasTerminated);
    runningExit = this;
    // Statics made before this outlive the handler; the controller is one of them.
    static const bool registered = std::atexit(exitWithoutTerminate) == 0;
    (void)registered;
}

void ProgramExit::willTerminate() {
    if (reserve_) reserve_->release();
    // A quit at the end of a session whose X server stopped must not wait for it.
    if (defaults_ && (!windowSystem_.takeQuitOver() || windowSystem_.stalls(kStalledDisplayLimit))) {
        std::fprintf(stderr, "tuftle: the X server does not answer; leaving without closing the windows\n");
        return leaveWithoutWindows(EXIT_SUCCESS);
    }
    delegate_.applicationWillTerminate();
    if (defaults_) defaults_->flush();
}

int ProgramExit::finished(int status) {
    if (defaults_ && !saveAtQuit()) status = EXIT_FAILURE;
    if (runningExit == this) runningExit = nullptr;
    defaults_ = nullptr;
    return status;
}

void ProgramExit::exitingWithoutTerminate() {
    if (!defaults_ || (hasTerminated_ && hasTerminated_())) return;
    if (reserve_) reserve_->release();
    // A connection cut for a quit that was asked for ends as that quit.
    leaveWithoutWindows(windowSystem_.cutForQuit() ? EXIT_SUCCESS : EXIT_FAILURE);
}

bool ProgramExit::saveAtQuit() {
    if (defaults_->flush()) return true;
    std::fprintf(stderr, "tuftle: could not save the settings to %s (%s); %s\n", defaults_->path().c_str(),
                 std::strerror(defaults_->lastWriteError()),
                 controller_->model().failedSaveNote(defaults_->unsavedKeys()).c_str());
    return false;
}

void ProgramExit::leaveWithoutWindows(int status) {
    // What the tap read still counts, and the pets, whose windows are going, do not answer it.
    controller_->keyboardCounter().countPendingPresses(true);
    controller_->model().flushPendingWrites();
    controller_->runtimeHealth().markCleanExit();
    if (!saveAtQuit()) status = EXIT_FAILURE;
    std::fflush(nullptr);
    leave_(status);
}

}  // namespace app
