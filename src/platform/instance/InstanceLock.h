#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// The folder for this user's sockets and lock files: $XDG_RUNTIME_DIR where it is an absolute
// folder of this user's that no one else may enter and short enough for a socket's name in it;
// else tuftle-<uid> in $TMPDIR or /tmp, made private (0700) when missing and checked to be this
// user's, as the toolkit's own fallback is. Nothing, and `problem` says why, when neither serves.
std::optional<std::filesystem::path> privateRuntimeFolder(std::string& problem);

// One running instance per settings folder: an exclusive flock() on a lock file in the private
// runtime folder named after the settings folder's path (after links), and on the settings
// folder itself where it can be opened. No other program locks either, and neither depends on
// the modes of the folders on the settings folder's path. Held until the lock is destroyed or
// the process ends (the kernel drops it then, also after a kill). Starts in different
// environments that would write the same file meet at the settings folder; where that folder
// cannot be opened, at the lock file of a runtime folder they share.
class InstanceLock final {
public:
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The lock, or null when another process holds a part of it: then `heldElsewhere`, when
    // given, says so where that process is not a running instance of this program (it holds
    // the settings folder, not the lock file). When no lock can be taken at all the answer
    // holds nothing: see held() and problem().
    static std::unique_ptr<InstanceLock> acquire(const std::filesystem::path& settingsFile,
                                                 std::string* heldElsewhere = nullptr);

    // False when no lock could be taken: then another instance may be writing the settings.
    bool held() const { return fd_ >= 0 || folderFd_ >= 0; }
    // Why no lock could be taken, as a sentence without its end.
    const std::string& problem() const { return problem_; }

    // The name, without a suffix, that the runtime files of a start of `settingsFile` carry:
    // the same for every start that would write the same file, whatever its environment.
    static std::string runtimeName(const std::filesystem::path& settingsFile);

private:
    InstanceLock(int fd, std::filesystem::path file, int folderFd, std::string problem)
        : fd_(fd), file_(std::move(file)), folderFd_(folderFd), problem_(std::move(problem)) {}
    int fd_;  // the lock file's
    std::filesystem::path file_;
    int folderFd_;  // the settings folder's own lock, where it can be opened
    std::string problem_;
};

}  // namespace platform
