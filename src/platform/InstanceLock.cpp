#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/RegularFile.h"

namespace platform {

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::filesystem::path& settingsFile) {
    const auto file = resolveLinks(settingsFile).value_or(settingsFile);
    const auto folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::error_code ec;
    std::filesystem::create_directories(folder.parent_path(), ec);
    ::mkdir(folder.c_str(), 0700);  // private, as XDG asks of configuration folders
    // The folder itself: it can be opened whenever the settings in it can be read, and no file
    // of ours beside the settings can be replaced by a link or a folder. Close-on-exec: a
    // program we start must not keep holding the lock after we end.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int result = -1;
    if (fd >= 0) {
        do {
            result = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (result != 0 && errno == EINTR);
    }
    if (result == 0) return std::unique_ptr<InstanceLock>(new InstanceLock(fd, {}));
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (fd >= 0 && error == EWOULDBLOCK) return nullptr;
    return std::unique_ptr<InstanceLock>(
        new InstanceLock(-1, "cannot lock " + folder.string() + " (" + std::strerror(error) + ")"));
}

}  // namespace platform
