#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// How a second start of the same settings reaches the running instance: a Unix socket in the
// private runtime folder named after the settings folder (InstanceLock::runtimeName), which the
// lock's holder listens at. A call is the whole request ("open your panel"); one byte answers it.

// Nothing, and `problem` says why, when there is no private runtime folder.
std::optional<std::filesystem::path> handoverSocketPath(const std::filesystem::path& settingsFile,
                                                        std::string& problem);

class HandoverListener final {
public:
    // Listens at `socket`, in place of what a killed instance left there: only the holder of the
    // instance lock may. Nothing, and `problem` says why, when it cannot.
    static std::unique_ptr<HandoverListener> listen(const std::filesystem::path& socket, std::string& problem);
    ~HandoverListener();
    HandoverListener(const HandoverListener&) = delete;
    HandoverListener& operator=(const HandoverListener&) = delete;

    // Readable when a call waits.
    int fd() const { return fd_; }
    // Answers every waiting call; true when one came from this user and the program has the
    // descriptors to open its panel. Never blocks; a call it cannot take is turned away, so
    // the descriptor is not left readable.
    bool answer();

private:
    HandoverListener(int fd, std::filesystem::path socket) : fd_(fd), socket_(std::move(socket)) {}
    int fd_;
    std::filesystem::path socket_;
    // Kept free to take and turn away a call when every other descriptor is in use.
    int spare_ = -1;
};

// Calls the instance listening at `socket`, trying again while it is not listening yet or
// busy, and waits at most `timeout` seconds in all for its answer: empty once it answered,
// else why not. Only an answer of this user's counts: from a listener of this user's, at a
// socket of this user's, in a folder of this user's that no one else may write to.
std::string askRunningInstance(const std::filesystem::path& socket, double timeout);

// Every socket of any user's named `fileName` that a process listens at, wherever its folder:
// where an instance started with another runtime folder can be called.
std::vector<std::filesystem::path> listeningSockets(const std::string& fileName);

}  // namespace platform
