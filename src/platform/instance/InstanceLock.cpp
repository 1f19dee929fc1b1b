#include "platform/instance/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/storage/RegularFile.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// The longest file name put into the runtime folder, a socket's included.
constexpr size_t kLongestRuntimeFileName = sizeof "tuftle-0123456789abcdef.socket" - 1;

std::string failed(const std::string& what, int error) {
    return what + " (" + std::strerror(error) + ")";
}

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
    const auto absolute = fs::absolute(folder, ec).lexically_normal();
    const auto canonical = fs::weakly_canonical(absolute, ec);
    return ec || canonical.empty() ? absolute : canonical;
}

// Empty when `folder` is a folder of this user's (not a link) that no one else may enter.
std::string privateFolderProblem(const fs::path& folder) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return failed(folder.string(), errno);
    if (!S_ISDIR(st.st_mode)) return folder.string() + " is not a folder";
    if (st.st_uid != ::geteuid()) return folder.string() + " belongs to another user";
    if ((st.st_mode & 077) != 0) return folder.string() + " is open to other users";
    return {};
}

// Takes the lock file at `path`, made when missing; answers the descriptor, or -1 and the
// errno in `error`. A file removed by its last holder between our open and our lock is
// opened again, so two starts never hold two different files of one name.
int lockFile(const fs::path& path, int& error) {
    while (true) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd < 0) {
            error = errno;
            return -1;
        }
        error = lockExclusively(fd);
        struct stat held {};
        struct stat named {};
        if (error == 0 && (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &named) != 0 ||
                           held.st_ino != named.st_ino || held.st_dev != named.st_dev)) {
            ::close(fd);
            continue;
        }
        if (error == 0) return fd;
        ::close(fd);
        return -1;
    }
}

}  // namespace

std::optional<fs::path> privateRuntimeFolder(std::string& problem) {
    // A socket's address holds its path and a terminating zero.
    constexpr size_t longestFolder = sizeof(sockaddr_un::sun_path) - 2 - kLongestRuntimeFileName;
    std::string why;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const fs::path folder(runtime);
        if (!folder.is_absolute())
            why = "XDG_RUNTIME_DIR is not absolute";
        else if (folder.native().size() > longestFolder)
            why = "XDG_RUNTIME_DIR is too long for a socket's name";
        else if (why = privateFolderProblem(folder); why.empty())
            return folder;
    }
    const char* tmp = std::getenv("TMPDIR");
    const fs::path base = tmp && fs::path(tmp).is_absolute() ? fs::path(tmp) : fs::path("/tmp");
    const fs::path folder = base / ("tuftle-" + std::to_string(::geteuid()));
    if (folder.native().size() > longestFolder) {
        problem = (why.empty() ? "" : why + "; ") + folder.string() + " is too long for a socket's name";
        return std::nullopt;
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = (why.empty() ? "" : why + "; ") + failed("cannot make " + folder.string(), errno);
        return std::nullopt;
    }
    // Ours but opened by a umask or a hand: closed again, as the toolkit does with its own.
    struct stat st {};
    if (::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) != 0)
        ::chmod(folder.c_str(), 0700);
    if (const auto fallbackProblem = privateFolderProblem(folder); !fallbackProblem.empty()) {
        problem = (why.empty() ? "" : why + "; ") + fallbackProblem;
        return std::nullopt;
    }
    return folder;
}

std::string InstanceLock::runtimeName(const fs::path& settingsFile) {
    // FNV-1a: a short, stable name for a path of any length.
    uint64_t hash = 14695981039346656037ull;
    const std::string folder = settingsFolder(settingsFile, false).native();
    for (const unsigned char c : folder) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[32];
    std::snprintf(name, sizeof name, "tuftle-%016" PRIx64, hash);
    return name;
}

InstanceLock::~InstanceLock() {
    // Removed while still held: a start that opened it meanwhile sees that and opens it again.
    if (fd_ >= 0) {
        ::unlink(file_.c_str());
        ::close(fd_);
    }
    if (folderFd_ >= 0) ::close(folderFd_);
}

std::unique_ptr<InstanceLock> InstanceLock::acquire(const fs::path& settingsFile, std::string* heldElsewhere) {
    const fs::path folder = settingsFolder(settingsFile, true);
    std::string problem;
    fs::path file;
    int fd = -1;
    if (const auto runtime = privateRuntimeFolder(problem)) {
        file = *runtime / (runtimeName(settingsFile) + ".lock");
        int error = 0;
        fd = lockFile(file, error);
        if (error == EWOULDBLOCK) return nullptr;
        if (fd < 0) problem = failed("cannot lock " + file.string(), error);
    }
    // Close-on-exec: a program we start must not keep holding the lock after we end.
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int folderError = folderFd >= 0 ? lockExclusively(folderFd) : errno;
    if (folderError != 0 && folderFd >= 0) {
        ::close(folderFd);
        folderFd = -1;
    }
    if (folderError == EWOULDBLOCK) {
        if (fd >= 0) {
            ::unlink(file.c_str());
            ::close(fd);
        }
        if (heldElsewhere && !file.empty()) *heldElsewhere = "another program holds a lock on " + folder.string();
        return nullptr;
    }
    if (fd < 0 && folderFd < 0)
        problem += " nor " + failed("lock " + folder.string(), folderError);
    else
        problem.clear();
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd, file, folderFd, std::move(problem)));
}

}  // namespace platform
