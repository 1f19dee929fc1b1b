#include "platform/instance/SingleInstance.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace platform {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Outcome = HandoverCall::Outcome;

// Between two looks for an instance that holds the lock but may not listen yet.
constexpr auto kLookAgain = std::chrono::milliseconds(50);

// Calls every instance that listens at a socket named `name`, in any runtime folder, until one
// answers, and answers how the call that says most ended: one to a listener of this user's
// before one to another user's; nothing when no listener of this user's was found. `keepLooking`
// until `wait` is up, for an instance that is known to run but may still be starting.
std::optional<HandoverCall> askInstanceAnywhere(const std::string& name, double wait, bool keepLooking,
                                                HandoverRequest request) {
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(wait));
    std::optional<HandoverCall> ours;
    while (true) {
        for (const auto& socket : listeningSockets(name)) {
            const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
            auto call = askRunningInstance(socket, std::max(left, 0.1), request);
            if (call.answered()) return call;
            if (call.outcome != Outcome::notThisUsers) ours = std::move(call);
        }
        if (!keepLooking || Clock::now() + kLookAgain >= deadline) return ours;
        std::this_thread::sleep_for(kLookAgain);
    }
}

std::string seconds(double wait) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", wait);
    return text;
}

// Why a running instance of this user's could not be reached, for a start that waited `wait`.
Reason unreachedWhy(const std::optional<HandoverCall>& call, double wait, const std::string& socketName,
                    const Reason& runtimeProblem) {
    // Its own wait may have been what was left of the start's.
    if (call && call->outcome == Outcome::unanswered) return Reason("{0} within {1} s", {call->why, seconds(wait)});
    if (call) return call->why;
    // A start that finds no runtime folder of its own finds the instance without one too.
    if (!runtimeProblem.empty()) return Reason("it has no runtime folder to listen in, as {0}", {runtimeProblem});
    return Reason("no copy of it listens at a socket named {0}", {socketName});
}

}  // namespace

SingleInstance::Start SingleInstance::begin(const fs::path& settingsFile, double wait, HandoverRequest request) {
    using Holder = InstanceLock::Attempt::Holder;
    Start start;
    auto attempt = InstanceLock::acquire(settingsFile);
    Reason runtimeProblem;
    const auto socket = handoverSocketPath(settingsFile, runtimeProblem);
    const std::string socketName = handoverSocketName(settingsFile);
    if (!attempt.lock) {
        std::optional<HandoverCall> call;
        Reason why;
        switch (attempt.holder) {
            case Holder::none:
                why = attempt.problem;
                break;
            case Holder::instanceHere:
                if (socket) call = askRunningInstance(*socket, wait, request);
                why = call && call->answered() ? Reason() : unreachedWhy(call, wait, socketName, runtimeProblem);
                break;
            case Holder::instanceElsewhere:
                call = askInstanceAnywhere(socketName, wait, true, request);
                why = call && call->answered() ? Reason() : unreachedWhy(call, wait, socketName, runtimeProblem);
                break;
            case Holder::anotherProgram:
                // Named so only once no instance of this user's answers.
                call = askInstanceAnywhere(socketName, wait, false, request);
                why = call && call->answered() ? Reason() : attempt.problem;
                break;
        }
        start.exitStatus = why.empty() ? 0 : 1;
        start.foundRunning = attempt.holder == Holder::instanceHere || attempt.holder == Holder::instanceElsewhere;
        if (why.empty() || attempt.holder == Holder::none || attempt.holder == Holder::anotherProgram)
            start.failure = why;
        else if (request == HandoverRequest::openPanel)
            start.failure = Reason("already running, but its panel could not be opened: {0}", {why});
        else
            start.failure = Reason("already running, but it could not be reached: {0}", {why});
        return start;
    }
    // Without the settings folder's lock, an instance with another runtime folder holds another
    // lock file: only its call answered tells it runs.
    if (!attempt.lock->locksSettings()) {
        if (const auto call = askInstanceAnywhere(socketName, wait, false, request); call && call->answered())
            return start;
    }
    start.instance.reset(new SingleInstance(std::move(attempt.lock)));
    auto& instance = *start.instance;
    if (socket)
        instance.listener_ = HandoverListener::listen(*socket, instance.listenProblem_);
    else
        instance.listenProblem_ = runtimeProblem;
    return start;
}

}  // namespace platform
