#pragma once

#include <filesystem>
#include <memory>

namespace platform {

// One running instance per user: an exclusive flock() on a lock file, held until the lock is
// destroyed or the process ends (the kernel drops it then, also after a kill).
class InstanceLock final {
public:
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // $XDG_RUNTIME_DIR/tuftle.lock when that is an absolute folder of ours, else tuftle.lock in
    // the folder of `configFile` (created when missing).
    static std::filesystem::path standardPath(const std::filesystem::path& configFile);

    // The lock, or null when another process holds it. A lock file that cannot be opened
    // at all gives a lock that holds nothing: failing to start would be worse.
    static std::unique_ptr<InstanceLock> acquire(const std::filesystem::path& lockFile);

private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace platform
