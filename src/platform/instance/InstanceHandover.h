#pragma once

#include <chrono>
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
    // instance lock may. A call whose request has not come within `requestWait` is served as an
    // older version's, which sends none and wants the panel; such calls open it at most once a
    // `silentPanelPause`, so that a program that keeps calling and saying nothing cannot keep
    // the panel open against the user. Nothing, and `problem` says why, when it cannot.
    static std::unique_ptr<HandoverListener> listen(
        const std::filesystem::path& socket, Reason& problem,
        std::chrono::nanoseconds requestWait = std::chrono::seconds(1),
        std::chrono::nanoseconds silentPanelPause = std::chrono::seconds(5));
    ~HandoverListener();
    HandoverListener(const HandoverListener&) = delete;
    HandoverListener& operator=(const HandoverListener&) = delete;

    // Readable when a call waits, the request of one taken earlier has come, or one taken earlier
    // has waited long enough for it.
    int fd() const { return ready_; }
    // Answers every call of this user's whose request has come or whose wait is over, and keeps
    // the others until then; true when one asked for the panel, is still there to be told, the
    // program has the descriptors to open it, and, for a silent one, the pause is over. Never
    // blocks; a call it cannot take is turned away, so the descriptor is not left readable.
    bool answer();

private:
    struct Waiting {
        int call;
        std::chrono::nanoseconds until;  // on the monotonic clock
    };
    HandoverListener(int listening, int ready, int deadline, std::filesystem::path socket,
                     std::chrono::nanoseconds requestWait, std::chrono::nanoseconds silentPanelPause)
        : listening_(listening),
          ready_(ready),
          deadline_(deadline),
          socket_(std::move(socket)),
          requestWait_(requestWait),
          silentPanelPause_(silentPanelPause) {}
    // Reads the request of a call taken, or takes an older version's once `waitOver`: false while
    // it has not come.
    bool serve(int call, bool waitOver, bool& panelAsked);
    void keep(int call);
    void armDeadline();
    int listening_;
    int ready_;     // an epoll set: the listening socket, the deadline and the calls waiting
    int deadline_;  // a timer, set only while a call waits, for the first whose wait ends
    std::filesystem::path socket_;
    std::chrono::nanoseconds requestWait_;
    std::chrono::nanoseconds silentPanelPause_;
    // When a silent call last opened the panel, on the monotonic clock.
    std::optional<std::chrono::nanoseconds> silentPanelOpened_;
    // Calls taken before their request came, oldest first.
    std::vector<Waiting> waiting_;
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
