#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinkHops = 40;

FileRead outcomeOf(const struct stat& st) {
    FileRead r;
    if (S_ISDIR(st.st_mode))
        r.outcome = FileRead::Outcome::folder;
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        r.outcome = FileRead::Outcome::device;
    else if (!S_ISREG(st.st_mode))
        r.outcome = FileRead::Outcome::notRegular;
    else
        r.outcome = FileRead::Outcome::read;
    return r;
}

FileRead failure(int error) {
    FileRead r;
    r.outcome = error == ENOENT ? FileRead::Outcome::missing : FileRead::Outcome::failed;
    r.error = error;
    return r;
}

// Reads to the end, keeping at most `limit` bytes more than asked for so an oversized file
// shows; kernel files (/proc) say size 0 whatever they hold.
int readToEnd(int fd, uint64_t limit, OversizedFile oversized, FileRead& r) {
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) return 0;
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        r.bytes.append(buf, static_cast<size_t>(n));
        if (r.bytes.size() <= limit) continue;
        if (oversized == OversizedFile::refuse) {
            r.outcome = FileRead::Outcome::tooLarge;
            return 0;
        }
        const size_t excess = r.bytes.size() - limit;
        r.bytes.erase(0, excess);
        r.offset += excess;
    }
}

}  // namespace

std::optional<fs::path> resolveLinks(fs::path file) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(file, ec))) return file;
        const fs::path target = fs::read_symlink(file, ec);
        if (ec) return file;
        file = target.is_absolute() ? target : (file.has_parent_path() ? file.parent_path() : fs::path(".")) / target;
    }
    return std::nullopt;
}

std::string FileRead::why() const {
    switch (outcome) {
        case Outcome::read:
        case Outcome::missing: return {};
        case Outcome::folder: return "is a folder, not a file";
        case Outcome::device: return "is a device, not a file";
        case Outcome::notRegular: return "is not a regular file";
        case Outcome::tooLarge: return "is too large";
        case Outcome::failed: return std::string("cannot be read (") + std::strerror(error) + ")";
    }
    return {};
}

FileRead readRegularFile(const fs::path& file, uint64_t limit, OversizedFile oversized) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return failure(errno);
    // Opening a device can have effects of its own: only a regular file is opened.
    if (FileRead found = outcomeOf(st); !found.ok()) return found;
    if (oversized == OversizedFile::refuse && static_cast<uint64_t>(st.st_size) > limit) {
        FileRead r;
        r.outcome = FileRead::Outcome::tooLarge;
        return r;
    }
    // Without blocking: something swapped in after the look above must not hang the start.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return failure(errno);
    struct stat opened {};
    FileRead r = ::fstat(fd, &opened) == 0 ? outcomeOf(opened) : failure(errno);
    if (r.ok() && static_cast<uint64_t>(opened.st_size) > limit) {
        if (oversized == OversizedFile::refuse) {
            r.outcome = FileRead::Outcome::tooLarge;
        } else {
            r.offset = static_cast<uint64_t>(opened.st_size) - limit;
            if (::lseek(fd, static_cast<off_t>(r.offset), SEEK_SET) < 0) r = failure(errno);
        }
    }
    if (r.ok()) {
        if (const int error = readToEnd(fd, limit, oversized, r)) r = failure(error);
    }
    if (!r.ok()) r.bytes.clear();
    ::close(fd);
    return r;
}

}  // namespace platform
