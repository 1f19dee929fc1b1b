#include "platform/instance/RuntimeFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

namespace fs = std::filesystem;

// tuftle-<uid> and nine more names a start without XDG_RUNTIME_DIR may use.
constexpr int kFallbackNames = 10;
// A socket's address holds its path and a terminating zero.
constexpr size_t kLongestFolder = sizeof(sockaddr_un::sun_path) - 2 - kLongestRuntimeFileName;

Reason notAFolder(const fs::path& path) {
    return Reason("{0} is not a folder", {path});
}

Reason anotherUsers(const fs::path& folder) {
    return Reason("{0} belongs to another user", {folder});
}

Reason tooLongForASocket(Reason::Part what) {
    return Reason("{0} is too long for a socket's name", {std::move(what)});
}

// Empty when `folder` is a folder of this user's (not a link) that no one else may enter.
Reason privateFolderProblem(const fs::path& folder) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return Reason::failed(folder, errno);
    if (!S_ISDIR(st.st_mode)) return notAFolder(folder);
    if (st.st_uid != ::geteuid()) return anotherUsers(folder);
    if ((st.st_mode & 077) != 0) return Reason("{0} is open to other users", {folder});
    return {};
}

// Empty when no other user can rename or remove what this user makes in `base`: its owner is
// root or this user, and others may not write to it, or only under the sticky bit (as /tmp).
Reason baseProblem(const fs::path& base) {
    struct stat st {};
    if (::stat(base.c_str(), &st) != 0) return Reason::failed(base, errno);
    if (!S_ISDIR(st.st_mode)) return notAFolder(base);
    if ((st.st_uid != 0 && st.st_uid != ::geteuid()) || ((st.st_mode & 022) != 0 && (st.st_mode & S_ISVTX) == 0))
        return Reason("{0} lets other users replace what is in it", {base});
    return {};
}

// Empty when the folder open at `fd` holds nothing of another user's.
Reason foreignEntryProblem(int fd, const fs::path& folder) {
    const int listing = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!dir) {
        const int error = errno;
        if (listing >= 0) ::close(listing);
        return Reason::failed(Reason("cannot read {0}", {folder}), error);
    }
    Reason problem;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        struct stat st {};
        if (name != "." && name != ".." && ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            st.st_uid != ::geteuid()) {
            problem = Reason("{0} holds {1} of another user", {folder, std::string(name)});
            break;
        }
    }
    ::closedir(dir);
    return problem;
}

// Empty when `folder` is this user's alone: a folder of this user's, closed to others (it is
// closed here when a umask or a hand opened it), holding nothing of another user's, which
// another user could have planted while it was open.
Reason ownAloneProblem(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno == ENOTDIR || errno == ELOOP ? notAFolder(folder) : Reason::failed(folder, errno);
    struct stat st {};
    Reason problem;
    if (::fstat(fd, &st) != 0)
        problem = Reason::failed(folder, errno);
    else if (st.st_uid != ::geteuid())
        problem = anotherUsers(folder);
    else if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0)
        problem = Reason::failed(Reason("cannot close {0} to other users", {folder}), errno);
    else
        problem = foreignEntryProblem(fd, folder);
    ::close(fd);
    return problem;
}

std::optional<fs::path> fallbackFolder(const fs::path& base, Reason& problem) {
    if (problem = baseProblem(base); !problem.empty()) return std::nullopt;
    const std::string first = "tuftle-" + std::to_string(::geteuid());
    Reason firstProblem;
    for (int i = 0; i < kFallbackNames; ++i) {
        const fs::path folder = base / (i == 0 ? first : first + "-" + std::to_string(i));
        if (folder.native().size() > kLongestFolder) {
            problem = tooLongForASocket(folder);
            return std::nullopt;
        }
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            problem = Reason::failed(Reason("cannot make {0}", {folder}), errno);
            return std::nullopt;
        }
        const auto why = ownAloneProblem(folder);
        if (why.empty()) return folder;
        if (firstProblem.empty()) firstProblem = why;
    }
    problem = Reason("{0}, and no folder named {1}-1 to {1}-{2} beside it is this user's alone",
                     {firstProblem, first, kFallbackNames - 1});
    return std::nullopt;
}

}  // namespace

std::optional<fs::path> privateRuntimeFolder(Reason& problem) {
    Reason why;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const fs::path folder(runtime);
        if (!folder.is_absolute())
            why = Reason("XDG_RUNTIME_DIR is not absolute");
        else if (folder.native().size() > kLongestFolder)
            why = tooLongForASocket(std::string("XDG_RUNTIME_DIR"));
        else if (why = privateFolderProblem(folder); why.empty())
            return folder;
    }
    const char* tmp = std::getenv("TMPDIR");
    const fs::path base = tmp && fs::path(tmp).is_absolute() ? fs::path(tmp) : fs::path("/tmp");
    Reason fallbackProblem;
    if (auto folder = fallbackFolder(base, fallbackProblem)) return folder;
    problem = why.empty() ? fallbackProblem : Reason("{0}, and {1}", {why, fallbackProblem});
    return std::nullopt;
}

Reason ownFileProblem(const fs::path& file, unsigned type) {
    const fs::path folder = file.parent_path();
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return Reason::failed(folder, errno);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 022) != 0)
        return Reason("{0} is not this user's alone", {folder});
    if (::lstat(file.c_str(), &st) != 0) return Reason::failed(file, errno);
    if ((st.st_mode & S_IFMT) != type || st.st_uid != ::geteuid()) return notThisUsers(file);
    return {};
}

Reason notThisUsers(const fs::path& file) {
    return Reason("{0} is not this user's", {file});
}

}  // namespace platform
