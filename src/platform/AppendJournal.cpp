#include "platform/AppendJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace platform {
namespace {

constexpr size_t kMaxFileSize = 16 * 1024 * 1024;  // far beyond a few minutes of records

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

}  // namespace

FileJournal::FileJournal(std::filesystem::path file) : file_(std::move(file)) {}

std::string FileJournal::encodeLine(const std::string& record) {
    return record + ' ' + hex8(checksum(record)) + '\n';
}

std::vector<std::string> FileJournal::read(size_t& intactLength) const {
    intactLength = 0;
    std::vector<std::string> out;
    std::ifstream in(file_, std::ios::binary);
    if (!in) return out;
    std::string text;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (text.size() > kMaxFileSize) text.resize(kMaxFileSize);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        const size_t space = line.rfind(' ');
        if (space == std::string::npos || line.size() - space != 9) break;
        std::string record = line.substr(0, space);
        if (line.compare(space + 1, 8, hex8(checksum(record))) != 0) break;
        out.push_back(std::move(record));
        intactLength = end + 1;
    }
    return out;
}

std::vector<std::string> FileJournal::records() const {
    size_t intactLength = 0;
    return read(intactLength);
}

bool FileJournal::append(const std::vector<std::string>& records) {
    if (records.empty()) return true;
    std::string bytes;
    for (const auto& r : records) bytes += encodeLine(r);
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    // A torn tail left by a kill is cut off first: records after it would never be read.
    struct stat st {};
    off_t end = ::fstat(fd, &st) == 0 ? st.st_size : 0;
    if (end > 0 && end != knownLength_) {
        size_t intactLength = 0;
        read(intactLength);
        if (off_t(intactLength) != end && ::ftruncate(fd, off_t(intactLength)) == 0) end = off_t(intactLength);
    }
    bool ok = ::lseek(fd, end, SEEK_SET) == end && writeAll(fd, bytes) && ::fdatasync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    knownLength_ = ok ? end + off_t(bytes.size()) : -1;
    return ok;
}

bool FileJournal::clear() {
    const int fd = ::open(file_.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return errno == ENOENT;
    bool ok = ::ftruncate(fd, 0) == 0 && ::fdatasync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    knownLength_ = ok ? 0 : -1;
    return ok;
}

bool MemoryJournal::append(const std::vector<std::string>& records) {
    ++appends;
    records_.insert(records_.end(), records.begin(), records.end());
    return true;
}

bool MemoryJournal::clear() {
    ++clears;
    records_.clear();
    return true;
}

}  // namespace platform
