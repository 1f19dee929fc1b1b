#include "platform/storage/AppendJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/storage/RegularFile.h"

namespace platform {
namespace {

// Far beyond the records between two folds; only the newest part of a larger file is read.
constexpr uint64_t kMaxReadSize = 16 * 1024 * 1024;

uint32_t checksum(const std::string& text) {
    uint32_t h = 2166136261u;  // FNV-1a
    for (unsigned char c : text) h = (h ^ c) * 16777619u;
    return h;
}

std::string hex8(uint32_t v) {
    char buffer[9];
    std::snprintf(buffer, sizeof buffer, "%08x", v);
    return buffer;
}

bool writeAll(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n >= 0)
            done += size_t(n);
        else if (errno != EINTR)
            return false;
    }
    return true;
}

// Opens the journal file for writing, never blocking and never anything but a regular file.
int openRegular(const std::filesystem::path& file, int flags) {
    const int fd = ::open(file.c_str(), flags | O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

}  // namespace

FileJournal::FileJournal(std::filesystem::path file) {
    if (auto target = resolveLinks(file)) {
        file_ = std::move(*target);
    } else {
        file_ = std::move(file);
        refuse("is a loop of symbolic links");
    }
}

std::string FileJournal::encodeLine(const std::string& record) {
    return record + ' ' + hex8(checksum(record)) + '\n';
}

void FileJournal::refuse(const std::string& why) const {
    if (!usable_) return;
    usable_ = false;
    std::fprintf(stderr, "tuftle: key-count journal %s %s; it is left as it is and this run saves to the settings file\n",
                 file_.c_str(), why.c_str());
}

std::vector<std::string> FileJournal::read(long long& intactEnd) const {
    intactEnd = 0;
    std::vector<std::string> out;
    if (!usable_) return out;
    const FileRead found = readRegularFile(file_, kMaxReadSize, OversizedFile::readTail);
    if (found.outcome == FileRead::Outcome::missing) return out;
    if (!found.ok()) {
        refuse(found.why());
        return out;
    }
    const std::string& text = found.bytes;
    size_t start = 0;
    if (found.offset > 0) {
        // Read from the middle of a file: its first line is cut.
        const size_t cut = text.find('\n');
        if (cut == std::string::npos) return out;
        start = cut + 1;
    }
    // Records hold whole values, not additions: one garbled in the middle leaves the later ones good.
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const size_t space = text.rfind(' ', end);
        if (space == std::string::npos || space < start || end - space != 9) continue;
        std::string record = text.substr(start, space - start);
        if (text.compare(space + 1, 8, hex8(checksum(record))) != 0) continue;
        out.push_back(std::move(record));
        intactEnd = static_cast<long long>(found.offset + end + 1);
    }
    return out;
}

std::vector<std::string> FileJournal::records() const {
    long long intactEnd = 0;
    return read(intactEnd);
}

FileJournal::~FileJournal() { closeFile(); }

void FileJournal::closeFile() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

int FileJournal::openFile(bool create) {
    // Kept open between writes; a file removed or replaced since is opened afresh.
    struct stat st {};
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && st.st_nlink > 0) return fd_;
    closeFile();
    knownLength_ = -1;
    if (create) {
        std::error_code ec;
        std::filesystem::create_directories(file_.parent_path(), ec);
    }
    fd_ = openRegular(file_, create ? O_CREAT : 0);
    return fd_;
}

bool FileJournal::append(const std::vector<std::string>& records) {
    if (records.empty()) return true;
    if (!usable_) return false;
    std::string bytes;
    for (const auto& r : records) bytes += encodeLine(r);
    const int fd = openFile(true);
    if (fd < 0) return false;
    // A torn tail left by a kill or a failed write is cut off first: a record glued to it
    // would never be read.
    struct stat st {};
    off_t end = ::fstat(fd, &st) == 0 ? st.st_size : 0;
    if (end > 0 && end != knownLength_) {
        long long intactEnd = 0;
        read(intactEnd);
        if (off_t(intactEnd) != end && ::ftruncate(fd, off_t(intactEnd)) == 0) end = off_t(intactEnd);
    }
    const bool ok = usable_ && ::lseek(fd, end, SEEK_SET) == end && writeAll(fd, bytes);
    knownLength_ = ok ? end + off_t(bytes.size()) : -1;
    return ok;
}

bool FileJournal::sync() {
    if (!usable_) return false;
    const int fd = openFile(false);
    if (fd < 0) return errno == ENOENT;
    const bool ok = ::fdatasync(fd) == 0;
    // What the kernel could not write back may be gone from the file: look at its tail again.
    if (!ok) {
        knownLength_ = -1;
        closeFile();
    }
    return ok;
}

bool FileJournal::clear() {
    if (!usable_) return false;
    const int fd = openFile(false);
    if (fd < 0) return errno == ENOENT;
    const bool ok = ::ftruncate(fd, 0) == 0 && ::fdatasync(fd) == 0;
    knownLength_ = ok ? 0 : -1;
    return ok;
}

bool MemoryJournal::append(const std::vector<std::string>& records) {
    ++appends;
    if (failing || unreadable) return false;
    records_.insert(records_.end(), records.begin(), records.end());
    return true;
}

bool MemoryJournal::clear() {
    ++clears;
    if (failing || unreadable) return false;
    records_.clear();
    return true;
}

}  // namespace platform
