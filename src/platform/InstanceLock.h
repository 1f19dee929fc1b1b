#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// One running instance per settings folder: an exclusive flock() on the folder that holds the
// settings folder (after links), or on a file in it named after the settings folder where that
// folder cannot be locked as it is (a network file system that locks only files open for
// writing). Nothing in the settings folder itself is needed, so its mode does not matter. Held
// until the lock is destroyed or the process ends (the kernel drops it then, also after a kill).
// Whatever the environment of a start, two starts that would write the same file take the same
// lock. The cost: two settings folders side by side in one folder, reached only through links,
// cannot run at once. Where the settings folder can be read, it is locked too, as earlier builds
// of the program did.
class InstanceLock final {
public:
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The lock, or null when another process holds it. When no lock can be taken at all the
    // answer holds nothing: see held() and problem().
    static std::unique_ptr<InstanceLock> acquire(const std::filesystem::path& settingsFile);

    // False when no lock could be taken: then another instance may be writing the settings.
    bool held() const { return fd_ >= 0; }
    // Why no lock could be taken, as a sentence without its end.
    const std::string& problem() const { return problem_; }

    // The settings folder a start of `settingsFile` locks for, as a name for this boot (its
    // device and inode, which its mode does not hide); nothing when it cannot be found.
    static std::optional<std::string> folderIdentity(const std::filesystem::path& settingsFile);

private:
    InstanceLock(int fd, int folderFd, std::string problem)
        : fd_(fd), folderFd_(folderFd), problem_(std::move(problem)) {}
    int fd_;
    int folderFd_;  // the settings folder's own lock, where it can be opened
    std::string problem_;
};

}  // namespace platform
