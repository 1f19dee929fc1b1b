#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/Reason.h"

namespace platform {

// One running instance per settings folder: exclusive flock()s, taken in this order, on
//  - a lock file in the private runtime folder (see RuntimeFolder.h), named after the settings
//    folder's path after links (runtimeName);
//  - the settings folder itself, or, where it cannot be opened for reading (mode 0300 or
//    0100), a lock file in it.
// Starts in different environments that would write the same file meet at the settings folder;
// where no start can reach it (and so none can save), at the runtime folder they share. Only
// this program makes the lock files; the settings folder may be locked by anything. Held until
// the lock is destroyed or the process ends (the kernel drops it then, also after a kill).
class InstanceLock final {
public:
    struct Attempt;
    static Attempt acquire(const std::filesystem::path& settingsFile);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when only the runtime folder's file is held: a start with another runtime folder
    // would not meet it.
    bool locksSettings() const { return settingsFd_ >= 0; }

    // The name, without a suffix, that the runtime files of a start of `settingsFile` carry:
    // the same for every start that would write the same file, whatever its environment.
    static std::string runtimeName(const std::filesystem::path& settingsFile);

private:
    InstanceLock(int runtimeFd, std::filesystem::path runtimeFile, int settingsFd, std::filesystem::path settingsFile)
        : runtimeFd_(runtimeFd),
          runtimeFile_(std::move(runtimeFile)),
          settingsFd_(settingsFd),
          settingsLockFile_(std::move(settingsFile)) {}
    int runtimeFd_;
    std::filesystem::path runtimeFile_;
    int settingsFd_;
    std::filesystem::path settingsLockFile_;  // empty when the folder itself is locked
};

struct InstanceLock::Attempt {
    // Null when this start may not run: another process holds a part of the lock, or no part
    // could be taken at all.
    std::unique_ptr<InstanceLock> lock;
    enum class Holder {
        none,               // no lock, and nobody holds one: `problem` says why
        instanceHere,       // a running instance, listening in this start's runtime folder
        instanceElsewhere,  // a running instance with another runtime folder
        anotherProgram,     // something else, or no process to be named: `problem` says so
    } holder = Holder::none;
    Reason problem;
};

}  // namespace platform
