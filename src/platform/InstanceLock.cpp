#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/RegularFile.h"

namespace platform {
namespace {

constexpr const char* kLockFileName = ".tuftle.lock";

// 0 once locked, else the errno (EWOULDBLOCK: another process holds it).
int lockExclusively(int fd) {
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

}  // namespace

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
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int error = fd >= 0 ? lockExclusively(fd) : errno;
    std::string problem = "cannot lock " + folder.string() + " (" + std::strerror(error) + ")";
    if (error != 0 && error != EWOULDBLOCK) {
        // A folder we may write in but not read (mode 0300), or a network file system that
        // locks only files open for writing: a file of ours in it.
        if (fd >= 0) ::close(fd);
        const auto lockFile = folder / kLockFileName;
        fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        error = fd >= 0 ? lockExclusively(fd) : errno;
        problem += " nor " + lockFile.string() + " (" + std::strerror(error) + ")";
    }
    if (error == 0) return std::unique_ptr<InstanceLock>(new InstanceLock(fd, {}));
    if (fd >= 0) ::close(fd);
    if (error == EWOULDBLOCK) return nullptr;
    return std::unique_ptr<InstanceLock>(new InstanceLock(-1, std::move(problem)));
}

}  // namespace platform
