#include "platform/storage/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinkHops = 40;

FileRead::Outcome outcomeOf(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return FileRead::Outcome::folder;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return FileRead::Outcome::device;
    if (!S_ISREG(st.st_mode)) return FileRead::Outcome::notRegular;
    return FileRead::Outcome::read;
}

struct Opened {
    FileRead::Outcome outcome = FileRead::Outcome::read;
    int error = 0;
    int fd = -1;
    uint64_t size = 0;
};

Opened failure(int error) {
    Opened r;
    // A refused link ends the open with ELOOP: it is there, just not a file we read.
    if (error == ENOENT)
        r.outcome = FileRead::Outcome::missing;
    else if (error == ELOOP)
        r.outcome = FileRead::Outcome::notRegular;
    else
        r.outcome = FileRead::Outcome::failed;
    r.error = error;
    return r;
}

// `file` opened when it is a regular file, whatever its size.
Opened openRegular(const fs::path& file, Links links) {
    struct stat st {};
    const bool follow = links == Links::follow;
    if ((follow ? ::stat(file.c_str(), &st) : ::lstat(file.c_str(), &st)) != 0) return failure(errno);
    // Opening a device can have effects of its own: only a regular file is opened.
    if (const auto found = outcomeOf(st); found != FileRead::Outcome::read) return {found};
    // Without blocking: a FIFO swapped in after the look above must not hang the program.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (follow ? 0 : O_NOFOLLOW));
    if (fd < 0) return failure(errno);
    Opened r;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0)
        r = failure(errno);
    else if (r.outcome = outcomeOf(opened); r.outcome == FileRead::Outcome::read)
        r.size = static_cast<uint64_t>(opened.st_size);
    if (r.outcome != FileRead::Outcome::read) {
        ::close(fd);
        return r;
    }
    r.fd = fd;
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

Reason FileRead::reasonNotRead(Outcome outcome, int error) {
    switch (outcome) {
        case Outcome::read:
        case Outcome::missing:
            return {};
        case Outcome::folder:
            return Reason("is a folder, not a file");
        case Outcome::device:
            return Reason("is a device, not a file");
        case Outcome::notRegular:
            return Reason("is not a regular file");
        case Outcome::tooLarge:
            return Reason("is too large");
        case Outcome::failed:
            return Reason("cannot be read ({0})", {std::string(std::strerror(error))});
    }
    return {};
}

std::string FileRead::whyNotRead(Outcome outcome, int error) {
    return reasonNotRead(outcome, error).english();
}

FileRead readRegularFile(const fs::path& file, uint64_t limit, OversizedFile oversized, Links links) {
    const Opened opened = openRegular(file, links);
    FileRead r;
    r.outcome = opened.outcome;
    r.error = opened.error;
    if (opened.fd < 0) return r;
    if (opened.size > limit) {
        if (oversized == OversizedFile::refuse) {
            r.outcome = FileRead::Outcome::tooLarge;
        } else {
            r.offset = opened.size - limit;
            if (::lseek(opened.fd, static_cast<off_t>(r.offset), SEEK_SET) < 0) {
                r.outcome = FileRead::Outcome::failed;
                r.error = errno;
            }
        }
    }
    if (r.ok()) {
        if (const int error = readToEnd(opened.fd, limit, oversized, r)) {
            r.outcome = FileRead::Outcome::failed;
            r.error = error;
        }
    }
    if (!r.ok()) r.bytes.clear();
    ::close(opened.fd);
    return r;
}

OpenedFile::OpenedFile(const fs::path& file, uint64_t limit, Links links) {
    const Opened opened = openRegular(file, links);
    outcome_ = opened.outcome;
    error_ = opened.error;
    if (opened.fd < 0) return;
    if (opened.size > limit) {
        outcome_ = FileRead::Outcome::tooLarge;
        ::close(opened.fd);
        return;
    }
    fd_ = opened.fd;
    size_ = opened.size;
}

OpenedFile::~OpenedFile() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform
