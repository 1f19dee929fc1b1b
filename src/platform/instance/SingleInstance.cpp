#include "platform/instance/SingleInstance.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace platform {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Between two looks for an instance that holds the lock but may not listen yet.
constexpr auto kLookAgain = std::chrono::milliseconds(50);

// Calls every instance of this settings file that listens, in any runtime folder, until one
// answers: empty then, else why none did. `keepLooking` until `wait` is up, for an instance
// that is known to run but may still be starting.
std::string askInstanceAnywhere(const fs::path& settingsFile, double wait, bool keepLooking) {
    const std::string name = InstanceLock::runtimeName(settingsFile) + ".socket";
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(wait));
    std::string why = "no copy of it listens at a socket named " + name;
    while (true) {
        for (const auto& socket : listeningSockets(name)) {
            const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
            if ((why = askRunningInstance(socket, std::max(left, 0.1))).empty()) return why;
        }
        if (!keepLooking || Clock::now() + kLookAgain >= deadline) return why;
        std::this_thread::sleep_for(kLookAgain);
    }
}

}  // namespace

SingleInstance::Start SingleInstance::begin(const fs::path& settingsFile, double wait) {
    using Holder = InstanceLock::Attempt::Holder;
    Start start;
    auto attempt = InstanceLock::acquire(settingsFile);
    std::string runtimeProblem;
    const auto socket = handoverSocketPath(settingsFile, runtimeProblem);
    if (!attempt.lock) {
        std::string why;
        switch (attempt.holder) {
            case Holder::none:
                why = attempt.problem;
                break;
            case Holder::instanceHere:
                why = socket ? askRunningInstance(*socket, wait) : runtimeProblem;
                break;
            case Holder::instanceElsewhere:
                why = askInstanceAnywhere(settingsFile, wait, true);
                break;
            case Holder::anotherProgram:
                // Named so only once no instance of this user's answers.
                why = askInstanceAnywhere(settingsFile, wait, false).empty() ? "" : attempt.problem;
                break;
        }
        start.exitStatus = why.empty() ? 0 : 1;
        if (why.empty() || attempt.holder == Holder::none || attempt.holder == Holder::anotherProgram)
            start.failure = why;
        else
            start.failure = "already running, but its panel could not be opened: " + why;
        return start;
    }
    // Without the settings folder's lock, an instance with another runtime folder holds another
    // lock file: only its call answered tells it runs.
    if (!attempt.lock->locksSettings() && askInstanceAnywhere(settingsFile, wait, false).empty()) return start;
    start.instance.reset(new SingleInstance(std::move(attempt.lock)));
    auto& instance = *start.instance;
    if (socket)
        instance.listener_ = HandoverListener::listen(*socket, instance.listenProblem_);
    else
        instance.listenProblem_ = runtimeProblem;
    return start;
}

}  // namespace platform
