#include "platform/instance/SingleInstance.h"

namespace platform {

SingleInstance::Start SingleInstance::begin(const std::filesystem::path& settingsFile, double wait) {
    Start start;
    std::string heldElsewhere;
    auto lock = InstanceLock::acquire(settingsFile, &heldElsewhere);
    std::string problem;
    const auto socket = handoverSocketPath(settingsFile, problem);
    if (!lock) {
        start.exitStatus = 1;
        if (!heldElsewhere.empty())
            start.failure = heldElsewhere;
        else if (!socket)
            start.failure = "already running, but it cannot be reached: " + problem;
        else if (const auto why = askRunningInstance(*socket, wait); !why.empty())
            start.failure = "already running, but its panel could not be opened: " + why;
        else
            start.exitStatus = 0;
        return start;
    }
    start.instance.reset(new SingleInstance(std::move(lock)));
    auto& instance = *start.instance;
    // A run that may not write the settings is not the instance a second start should reach.
    if (!instance.savesSettings())
        instance.listenProblem_ = "it keeps to no lock";
    else if (socket)
        instance.listener_ = HandoverListener::listen(*socket, instance.listenProblem_);
    else
        instance.listenProblem_ = problem;
    return start;
}

}  // namespace platform
