// Files for tests: reading and writing whole files, and a temporary folder of the test's own.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

namespace testfiles {

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A source file's own path, from __FILE__: ccache may hand the compiler a path relative to the
// build folder, where the test binary lives.
inline std::filesystem::path sourceFile(const char* file) {
    const std::filesystem::path path(file);
    return path.is_absolute() ? path : std::filesystem::read_symlink("/proc/self/exe").parent_path() / path;
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// What `read` answers of `file`, or nothing when it waits on a FIFO there (it is then let go
// with an empty file).
inline std::optional<std::string> readWithoutWaiting(const std::filesystem::path& file,
                                                     const std::function<std::string()>& read) {
    auto answer = std::async(std::launch::async, read);
    if (answer.wait_for(std::chrono::seconds(30)) == std::future_status::ready) return answer.get();
    // The waiting open returns once a writer comes; closing at once ends the file there.
    if (const int fd = ::open(file.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) ::close(fd);
    answer.get();
    return std::nullopt;
}

// A new empty folder under the system's temporary folder, removed with everything in it. Its
// name is `name` and a short random ending: sockets made in it have little room.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::string& name = "tuftle-test") {
        std::string path = (std::filesystem::temp_directory_path() / (name + ".XXXXXX")).string();
        if (!::mkdtemp(path.data()))
            throw std::filesystem::filesystem_error("mkdtemp", path, std::error_code(errno, std::generic_category()));
        path_ = path;
    }
    ~TemporaryFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& sub) const { return path_ / sub; }

private:
    std::filesystem::path path_;
};

}  // namespace testfiles
