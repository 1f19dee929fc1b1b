#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace platform {

// One running instance per settings file: an exclusive flock() on the folder the settings file
// is written in (after its links), or on a file in it where the folder cannot be opened or
// locked, held until the lock is destroyed or the process ends (the kernel drops it then, also
// after a kill). Whatever the environment of a start, two starts
// that would write the same file lock the same folder.
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

private:
    InstanceLock(int fd, std::string problem) : fd_(fd), problem_(std::move(problem)) {}
    int fd_;
    std::string problem_;
};

}  // namespace platform
