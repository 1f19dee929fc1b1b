#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "platform/RegularFile.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// 0 once locked, else the errno (EWOULDBLOCK: another process holds it).
int lockExclusively(int fd) {
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

// The settings folder with every link on the way resolved; made (private, as XDG asks of
// configuration folders) when missing.
fs::path settingsFolder(const fs::path& settingsFile, bool make) {
    const auto file = resolveLinks(settingsFile).value_or(settingsFile);
    const auto folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::error_code ec;
    if (make) {
        fs::create_directories(folder.parent_path(), ec);
        ::mkdir(folder.c_str(), 0700);
    }
    const auto canonical = fs::weakly_canonical(fs::absolute(folder, ec), ec);
    return ec || canonical.empty() ? folder : canonical;
}

}  // namespace

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
    if (folderFd_ >= 0) ::close(folderFd_);
}

std::unique_ptr<InstanceLock> InstanceLock::acquire(const fs::path& settingsFile) {
    const fs::path folder = settingsFolder(settingsFile, true);
    const fs::path outer = folder.has_parent_path() ? folder.parent_path() : fs::path("/");
    // Close-on-exec: a program we start must not keep holding the lock after we end.
    int fd = ::open(outer.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int error = fd >= 0 ? lockExclusively(fd) : errno;
    std::string problem = "cannot lock " + outer.string() + " (" + std::strerror(error) + ")";
    if (error != 0 && error != EWOULDBLOCK) {
        if (fd >= 0) ::close(fd);
        const auto lockFile = outer / ("." + folder.filename().string() + ".lock");
        fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        error = fd >= 0 ? lockExclusively(fd) : errno;
        problem += " nor " + lockFile.string() + " (" + std::strerror(error) + ")";
    }
    if (error == 0) {
        // Earlier builds locked the settings folder itself: one of them still running (an update
        // started beside it) is found there, and finds this one there.
        int inner = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int innerError = inner >= 0 ? lockExclusively(inner) : errno;
        if (innerError != 0 && inner >= 0) {
            ::close(inner);
            inner = -1;
        }
        if (innerError == EWOULDBLOCK) {
            ::close(fd);
            return nullptr;
        }
        return std::unique_ptr<InstanceLock>(new InstanceLock(fd, inner, {}));
    }
    if (fd >= 0) ::close(fd);
    if (error == EWOULDBLOCK) return nullptr;
    return std::unique_ptr<InstanceLock>(new InstanceLock(-1, -1, std::move(problem)));
}

std::optional<std::string> InstanceLock::folderIdentity(const fs::path& settingsFile) {
    struct stat st {};
    if (::stat(settingsFolder(settingsFile, false).c_str(), &st) != 0) return std::nullopt;
    char name[48];
    std::snprintf(name, sizeof name, "%" PRIxMAX "-%" PRIxMAX, static_cast<uintmax_t>(st.st_dev),
                  static_cast<uintmax_t>(st.st_ino));
    return std::string(name);
}

}  // namespace platform
