#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// How a second start of the same settings reaches the running instance: a Unix socket in
// $XDG_RUNTIME_DIR named after the settings folder (InstanceLock::folderIdentity), which the
// lock's holder listens at. A call is the whole request ("open your panel"); one byte answers it.

// Nothing without an absolute XDG_RUNTIME_DIR, when the settings folder cannot be found, or
// when the name would not fit a socket address.
std::optional<std::filesystem::path> handoverSocketPath(const std::filesystem::path& settingsFile);

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
    // Answers every waiting call; true when one came from this user. Never blocks.
    bool answer();

private:
    HandoverListener(int fd, std::filesystem::path socket) : fd_(fd), socket_(std::move(socket)) {}
    int fd_;
    std::filesystem::path socket_;
};

// Calls the instance listening at `socket` and waits at most `timeout` seconds for its answer:
// empty once it answered, else why not.
std::string askRunningInstance(const std::filesystem::path& socket, double timeout);

}  // namespace platform
