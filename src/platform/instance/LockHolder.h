#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace platform {

// A process that holds a lock, as the kernel names it.
struct LockHolder {
    pid_t pid = 0;
    std::string name;  // its command name, as /proc/<pid>/comm gives it
};

// The process holding a flock() on the file open at `fd`, from /proc/locks; nothing when it is
// not to be found (no /proc, or a process of another PID namespace).
std::optional<LockHolder> flockHolder(int fd);

// This process's command name, as other processes see it.
std::string ownCommandName();

}  // namespace platform
