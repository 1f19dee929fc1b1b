#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/instance/InstanceHandover.h"
#include "platform/instance/InstanceLock.h"

namespace platform {

// One running instance per settings file, and the way into it without a tray: a second start
// asks the running instance to open its panel and ends, and never opens the settings.
class SingleInstance final {
public:
    struct Start;
    // Takes the instance lock for `settingsFile` and listens for second starts; where an
    // instance of this user's holds the lock, makes `request` of it, wherever it listens,
    // waiting at most `wait` seconds. A start that can take no lock at all does not run.
    static Start begin(const std::filesystem::path& settingsFile, double wait, HandoverRequest request);

    // Whether a second start reaches this instance; else listenProblem() says why not.
    bool reachable() const { return listener_ != nullptr; }
    const Reason& listenProblem() const { return listenProblem_; }
    // Readable when a second start calls; -1 when none can.
    int callDescriptor() const { return listener_ ? listener_->fd() : -1; }
    // Answers the waiting calls; true when one asks for the panel.
    bool answerCalls() { return listener_ && listener_->answer(); }

private:
    SingleInstance(std::unique_ptr<InstanceLock> lock) : lock_(std::move(lock)) {}
    std::unique_ptr<InstanceLock> lock_;
    std::unique_ptr<HandoverListener> listener_;
    Reason listenProblem_;
};

struct SingleInstance::Start {
    // This run's instance; null when this start ends here, with `exitStatus`: 0 only once a
    // running instance of this user's took the call (to open its panel, when asked to).
    std::unique_ptr<SingleInstance> instance;
    int exitStatus = 0;
    // Why a start that ends here did not run or could not reach the running instance; empty
    // when it did.
    Reason failure;
    // Whether the lock tells that an instance of this user's runs, reached or not.
    bool foundRunning = false;
};

}  // namespace platform
