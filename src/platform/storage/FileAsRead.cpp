#include "platform/storage/FileAsRead.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/storage/AtomicFile.h"

namespace platform {
namespace fs = std::filesystem;
namespace {

// A small file from its start, whatever the offset; nullopt when it cannot be read or has grown
// past `limit`.
std::optional<std::string> readWhole(int fd, uint64_t limit) {
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(bytes.size()));
        if (n == 0) return bytes;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        bytes.append(buffer, static_cast<size_t>(n));
        if (bytes.size() > limit) return std::nullopt;
    }
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

FileAsRead::FileAsRead(const fs::path& file, uint64_t limit)
    : path_(file), limit_(limit), file_(path_, limit, Links::refuse) {
    // Looked at before it is read: a write after the look changes what the check sees.
    if (file_.ok() && ::fstat(file_.fd(), &read_) == 0) text_ = readWhole(file_.fd(), limit_);
}

bool FileAsRead::isOursToChange() const {
    return read_.st_uid == ::geteuid() && (read_.st_mode & S_IWUSR) != 0 && read_.st_nlink == 1;
}

bool FileAsRead::unchanged() const {
    struct stat now {};
    struct stat there {};
    return !isOpenToWrite() && ::fstat(file_.fd(), &now) == 0 && ::lstat(path_.c_str(), &there) == 0 &&
           there.st_dev == read_.st_dev && there.st_ino == read_.st_ino && now.st_size == read_.st_size &&
           sameTime(now.st_mtim, read_.st_mtim) && sameTime(now.st_ctim, read_.st_ctim) &&
           readWhole(file_.fd(), limit_) == text_;
}

// The kernel refuses a read lease on a file open for writing. One taken is given back at once; a
// program opening the file in between would signal us, so the signal is one whose default is to
// be ignored. Where leases are not offered, there is no telling.
bool FileAsRead::isOpenToWrite() const {
    if (::fcntl(file_.fd(), F_SETSIG, SIGURG) != 0) return false;
    if (::fcntl(file_.fd(), F_SETLEASE, F_RDLCK) != 0) return errno == EAGAIN;
    ::fcntl(file_.fd(), F_SETLEASE, F_UNLCK);
    return false;
}

std::error_code FileAsRead::replaceIfUnchanged(std::string_view bytes, const std::function<void()>& beforeCheck) const {
    // Checked once the new file is on disk, just before the rename. A program that writes the
    // file between the two loses its write (to the file the rename unlinks, or under ours): the
    // window is one read of a small file, and readers see one whole file or the other, never a
    // torn one. Closing it would take a lock other programs writing the file never take.
    return replaceFileIfUnchanged(path_, bytes, mode(), [&] {
        if (beforeCheck) beforeCheck();
        return unchanged();
    });
}

}  // namespace platform
