#include "platform/storage/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace platform {
namespace fs = std::filesystem;
namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

std::error_code writeAll(int fd, std::string_view bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n >= 0)
            done += static_cast<size_t>(n);
        else if (errno != EINTR)
            return lastError();
    }
    return {};
}

// Read, not set: umask() can only be asked by changing it, which would race with other threads
// creating files.
mode_t processUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
    }
    return 022;
}

void syncFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // some file systems cannot sync a folder; the rename has happened either way
    ::close(fd);
}

std::error_code replace(const fs::path& file, std::string_view bytes, mode_t mode,
                        const std::function<bool()>& stillAsRead) {
    if (file.filename().empty()) return std::make_error_code(std::errc::is_a_directory);
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    // A hidden name of our own beside the target; mkstemp never reuses an existing file.
    std::string pattern = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return lastError();
    const fs::path temp(name.data());

    std::error_code error;
    if (::fchmod(fd, mode & 07777) != 0) error = lastError();
    if (!error) error = writeAll(fd, bytes);
    if (!error && ::fsync(fd) != 0) error = lastError();
    if (::close(fd) != 0 && !error) error = lastError();
    if (!error && stillAsRead && !stillAsRead()) error = std::make_error_code(std::errc::operation_canceled);
    if (!error && ::rename(temp.c_str(), file.c_str()) != 0) error = lastError();
    if (error) {
        ::unlink(temp.c_str());
        return error;
    }
    syncFolder(folder);
    return {};
}

}  // namespace

std::error_code writeFileAtomically(const fs::path& file, std::string_view bytes, fs::perms mode) {
    return replace(file, bytes, static_cast<mode_t>(mode) & ~processUmask(), nullptr);
}

std::error_code replaceFileIfUnchanged(const fs::path& file, std::string_view bytes, fs::perms mode,
                                       const std::function<bool()>& stillAsRead) {
    return replace(file, bytes, static_cast<mode_t>(mode), stillAsRead);
}

}  // namespace platform
