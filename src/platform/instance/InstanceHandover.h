#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Reason.h"

namespace platform {

// How a second start of the same settings reaches the running instance: a Unix socket in the
// private runtime folder named after the settings folder (InstanceLock::runtimeName), which the
// lock's holder listens at. A call sends one byte, its request; one byte answers it.

// What a second start asks of the running instance: to open its panel, or only to answer, for a
// start the user did not ask for (the session manager's or the login's).
enum class HandoverRequest { openPanel, onlyAnswer };

// The socket's file name, the same in every runtime folder.
std::string handoverSocketName(const std::filesystem::path& settingsFile);

// Nothing, and `problem` says why, when there is no private runtime folder.
std::optional<std::filesystem::path> handoverSocketPath(const std::filesystem::path& settingsFile, Reason& problem);

class HandoverListener final {
public:
    // Listens at `socket`, in place of what a killed instance left there: only the holder of the
    // instance lock may. Nothing, and `problem` says why, when it cannot.
    static std::unique_ptr<HandoverListener> listen(const std::filesystem::path& socket, Reason& problem);
    ~HandoverListener();
    HandoverListener(const HandoverListener&) = delete;
    HandoverListener& operator=(const HandoverListener&) = delete;

    // Readable when a call waits, or the request of one taken earlier has come.
    int fd() const { return ready_; }
    // Answers every call of this user's whose request has come and keeps the others until theirs
    // comes; true when one asked for the panel and the program has the descriptors to open it.
    // Never blocks; a call it cannot take is turned away, so the descriptor is not left readable.
    bool answer();

private:
    HandoverListener(int listening, int ready, std::filesystem::path socket)
        : listening_(listening), ready_(ready), socket_(std::move(socket)) {}
    // Reads the request of a call taken: false while it has not come.
    bool serve(int call, bool& panelAsked);
    void takeCalls(bool take);
    int listening_;
    int ready_;  // an epoll set: the listening socket, while calls are taken, and the calls waiting
    std::filesystem::path socket_;
    // Calls taken before their request came.
    std::vector<int> waiting_;
    bool taking_ = true;
    // Kept free to take and turn away a call when every other descriptor is in use.
    int spare_ = -1;
};

// How a call to a running instance ended.
struct HandoverCall {
    enum class Outcome {
        answered,
        unanswered,    // it took the call and did not answer in time
        failed,        // `why` says what else went wrong
        notThisUsers,  // the socket, its folder or what listens there is not this user's
    };
    Outcome outcome = Outcome::answered;
    Reason why;  // empty once answered
    bool answered() const { return outcome == Outcome::answered; }
};

// Calls the instance listening at `socket` with `request`, trying again while it is not
// listening yet or busy, and waits at most `timeout` seconds in all for its answer. Only an
// answer of this user's counts: from a listener of this user's, at a socket of this user's, in a
// folder of this user's that no one else may write to.
HandoverCall askRunningInstance(const std::filesystem::path& socket, double timeout, HandoverRequest request);

// Every socket of any user's named `fileName` that a process listens at, wherever its folder:
// where an instance started with another runtime folder can be called.
std::vector<std::filesystem::path> listeningSockets(const std::string& fileName);

}  // namespace platform
