#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

std::filesystem::path InstanceLock::standardPath(const std::filesystem::path& configFile) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
        struct stat st {};
        if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
            return std::filesystem::path(runtime) / "tuftle.lock";
    }
    return configFile.parent_path() / "tuftle.lock";
}

std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::filesystem::path& lockFile) {
    std::error_code ec;
    const auto folder = lockFile.parent_path();
    std::filesystem::create_directories(folder.parent_path(), ec);
    ::mkdir(folder.c_str(), 0700);  // private, as XDG asks of configuration folders
    // Close-on-exec: a program we start must not keep holding the lock after we end.
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return std::unique_ptr<InstanceLock>(new InstanceLock(-1));
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

}  // namespace platform
