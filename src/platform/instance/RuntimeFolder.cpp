#include "platform/instance/RuntimeFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace platform {
namespace {

namespace fs = std::filesystem;

// tuftle-<uid> and nine more names a start without XDG_RUNTIME_DIR may use.
constexpr int kFallbackNames = 10;
// A socket's address holds its path and a terminating zero.
constexpr size_t kLongestFolder = sizeof(sockaddr_un::sun_path) - 2 - kLongestRuntimeFileName;

std::string failed(const std::string& what, int error) {
    return what + " (" + std::strerror(error) + ")";
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

// Empty when no other user can rename or remove what this user makes in `base`: its owner is
// root or this user, and others may not write to it, or only under the sticky bit (as /tmp).
std::string baseProblem(const fs::path& base) {
    struct stat st {};
    if (::stat(base.c_str(), &st) != 0) return failed(base.string(), errno);
    if (!S_ISDIR(st.st_mode)) return base.string() + " is not a folder";
    if ((st.st_uid != 0 && st.st_uid != ::geteuid()) || ((st.st_mode & 022) != 0 && (st.st_mode & S_ISVTX) == 0))
        return base.string() + " lets other users replace what is in it";
    return {};
}

// Empty when the folder open at `fd` holds nothing of another user's.
std::string foreignEntryProblem(int fd, const fs::path& folder) {
    const int listing = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!dir) {
        const int error = errno;
        if (listing >= 0) ::close(listing);
        return failed("cannot read " + folder.string(), error);
    }
    std::string problem;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        struct stat st {};
        if (name != "." && name != ".." && ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            st.st_uid != ::geteuid()) {
            problem = folder.string() + " holds " + std::string(name) + " of another user";
            break;
        }
    }
    ::closedir(dir);
    return problem;
}

// Empty when `folder` is this user's alone: a folder of this user's, closed to others (it is
// closed here when a umask or a hand opened it), holding nothing of another user's, which
// another user could have planted while it was open.
std::string ownAloneProblem(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOTDIR || errno == ELOOP ? folder.string() + " is not a folder"
                                                  : failed(folder.string(), errno);
    struct stat st {};
    std::string problem;
    if (::fstat(fd, &st) != 0)
        problem = failed(folder.string(), errno);
    else if (st.st_uid != ::geteuid())
        problem = folder.string() + " belongs to another user";
    else if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0)
        problem = failed("cannot close " + folder.string() + " to other users", errno);
    else
        problem = foreignEntryProblem(fd, folder);
    ::close(fd);
    return problem;
}

std::optional<fs::path> fallbackFolder(const fs::path& base, std::string& problem) {
    if (problem = baseProblem(base); !problem.empty()) return std::nullopt;
    const std::string first = "tuftle-" + std::to_string(::geteuid());
    std::string firstProblem;
    for (int i = 0; i < kFallbackNames; ++i) {
        const fs::path folder = base / (i == 0 ? first : first + "-" + std::to_string(i));
        if (folder.native().size() > kLongestFolder) {
            problem = folder.string() + " is too long for a socket's name";
            return std::nullopt;
        }
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            problem = failed("cannot make " + folder.string(), errno);
            return std::nullopt;
        }
        const auto why = ownAloneProblem(folder);
        if (why.empty()) return folder;
        if (firstProblem.empty()) firstProblem = why;
    }
    problem = firstProblem + ", and no folder named " + first + "-1 to " + first + "-" +
              std::to_string(kFallbackNames - 1) + " beside it is this user's alone";
    return std::nullopt;
}

}  // namespace

std::optional<fs::path> privateRuntimeFolder(std::string& problem) {
    std::string why;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const fs::path folder(runtime);
        if (!folder.is_absolute())
            why = "XDG_RUNTIME_DIR is not absolute";
        else if (folder.native().size() > kLongestFolder)
            why = "XDG_RUNTIME_DIR is too long for a socket's name";
        else if (why = privateFolderProblem(folder); why.empty())
            return folder;
    }
    const char* tmp = std::getenv("TMPDIR");
    const fs::path base = tmp && fs::path(tmp).is_absolute() ? fs::path(tmp) : fs::path("/tmp");
    std::string fallbackProblem;
    if (auto folder = fallbackFolder(base, fallbackProblem)) return folder;
    problem = why.empty() ? fallbackProblem : why + ", and " + fallbackProblem;
    return std::nullopt;
}

std::string ownFileProblem(const fs::path& file, unsigned type) {
    const fs::path folder = file.parent_path();
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return failed(folder.string(), errno);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 022) != 0)
        return folder.string() + " is not this user's alone";
    if (::lstat(file.c_str(), &st) != 0) return failed(file.string(), errno);
    if ((st.st_mode & S_IFMT) != type || st.st_uid != ::geteuid()) return file.string() + " is not this user's";
    return {};
}

}  // namespace platform
