#include "platform/instance/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <optional>

#include "platform/instance/LockHolder.h"
#include "platform/instance/RuntimeFolder.h"
#include "platform/storage/RegularFile.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// In the settings folder, where the folder itself cannot be opened for reading.
constexpr char kSettingsLockFileName[] = "instance.lock";

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

struct Locked {
    int fd = -1;
    bool busy = false;  // another process holds it
    Reason problem;
};

// Takes the lock file at `path`, made when missing; never one that is a link or another
// user's. A file removed by its last holder between our open and our lock is opened again, so
// two starts never hold two different files of one name.
Locked lockFile(const fs::path& path) {
    while (true) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd < 0) return {-1, false, Reason::failed(Reason("cannot open {0}", {path}), errno)};
        struct stat held {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) || held.st_uid != ::geteuid()) {
            ::close(fd);
            return {-1, false, notThisUsers(path)};
        }
        if (const int error = lockExclusively(fd); error != 0) {
            ::close(fd);
            return {-1, error == EWOULDBLOCK, Reason::failed(Reason("cannot lock {0}", {path}), error)};
        }
        struct stat named {};
        if (::stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino && held.st_dev == named.st_dev)
            return {fd, false, {}};
        ::close(fd);
    }
}

Reason settingsFolderNamed(const fs::path& folder) {
    return Reason("the settings folder {0}", {folder});
}

void release(int fd, const fs::path& file) {
    // Removed while still held: a start that opened it meanwhile sees that and opens it again.
    if (fd < 0) return;
    if (!file.empty()) ::unlink(file.c_str());
    ::close(fd);
}

}  // namespace

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
    release(runtimeFd_, runtimeFile_);
    release(settingsFd_, settingsLockFile_);
}

InstanceLock::Attempt InstanceLock::acquire(const fs::path& settingsFile) {
    Attempt attempt;
    const fs::path folder = settingsFolder(settingsFile, true);
    Reason runtimeProblem;
    fs::path runtimeFile;
    Locked runtime;
    if (const auto runtimeFolder = privateRuntimeFolder(runtimeProblem)) {
        runtimeFile = *runtimeFolder / (runtimeName(settingsFile) + ".lock");
        runtime = lockFile(runtimeFile);
        if (runtime.busy) {
            attempt.holder = Attempt::Holder::instanceHere;
            return attempt;
        }
        runtimeProblem = runtime.problem;
    }

    // Close-on-exec: a program we start must not keep holding the lock after we end.
    Locked settings;
    fs::path settingsLockFile;
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        settings.fd = folderFd;
        if (const int error = lockExclusively(folderFd); error != 0) {
            settings = {-1, error == EWOULDBLOCK, Reason::failed(settingsFolderNamed(folder), error)};
            if (settings.busy) {
                const auto holder = flockHolder(folderFd);
                if (holder && holder->name == ownCommandName()) {
                    attempt.holder = Attempt::Holder::instanceElsewhere;
                } else {
                    attempt.holder = Attempt::Holder::anotherProgram;
                    attempt.problem = holder ? Reason("another program, {0} (process {1}), holds a lock on {2}",
                                                      {holder->name, holder->pid, folder})
                                             : Reason("another program holds a lock on {0}", {folder});
                }
            }
            ::close(folderFd);
        }
    } else {
        const int openError = errno;
        settingsLockFile = folder / kSettingsLockFileName;
        settings = lockFile(settingsLockFile);
        if (settings.busy) attempt.holder = Attempt::Holder::instanceElsewhere;
        if (settings.fd < 0) settings.problem = Reason::failed(settingsFolderNamed(folder), openError);
    }
    if (settings.busy) {
        release(runtime.fd, runtimeFile);
        return attempt;
    }
    if (runtime.fd < 0 && settings.fd < 0) {
        attempt.problem = Reason(
            "it can lock neither {0} nor a file in a runtime folder of its own ({1}), so it cannot make sure that only "
            "one copy runs",
            {settings.problem, runtimeProblem});
        return attempt;
    }
    attempt.lock.reset(new InstanceLock(runtime.fd, runtimeFile, settings.fd, settingsLockFile));
    return attempt;
}

}  // namespace platform
