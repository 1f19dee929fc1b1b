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
    // Takes the instance lock for `settingsFile` and listens for second starts; where another
    // instance holds the lock, asks it to open its panel, waiting at most `wait` seconds.
    static Start begin(const std::filesystem::path& settingsFile, double wait);

    // False when no lock could be taken: this run must not write the settings (see lockProblem()).
    bool savesSettings() const { return lock_->held(); }
    const std::string& lockProblem() const { return lock_->problem(); }
    // Whether a second start reaches this instance; else listenProblem() says why not.
    bool reachable() const { return listener_ != nullptr; }
    const std::string& listenProblem() const { return listenProblem_; }
    // Readable when a second start calls; -1 when none can.
    int callDescriptor() const { return listener_ ? listener_->fd() : -1; }
    // Answers the waiting calls; true when one asks for the panel.
    bool answerCalls() { return listener_ && listener_->answer(); }

private:
    SingleInstance(std::unique_ptr<InstanceLock> lock) : lock_(std::move(lock)) {}
    std::unique_ptr<InstanceLock> lock_;
    std::unique_ptr<HandoverListener> listener_;
    std::string listenProblem_;
};

struct SingleInstance::Start {
    // This run's instance; null when this start ends here, with `exitStatus`.
    std::unique_ptr<SingleInstance> instance;
    int exitStatus = 0;
    // Why a start that ends here could not reach the running instance; empty when it did.
    std::string failure;
};

}  // namespace platform
