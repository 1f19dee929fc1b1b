#include "platform/storage/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

std::filesystem::path cacheHome() {
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') return xdg;
    if (const char* home = std::getenv("HOME"); home && *home) return std::filesystem::path(home) / ".cache";
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return std::filesystem::path(pw->pw_dir) / ".cache";
    return ".cache";
}

FolderMadeForStart::FolderMadeForStart(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // A link counts as there, dangling or not, and so does what cannot be looked at: neither is
    // ours to take away.
    for (fs::path p = fs::absolute(folder, ec).lexically_normal(); !ec && p.has_relative_path(); p = p.parent_path()) {
        if (fs::symlink_status(p, ec).type() != fs::file_type::not_found) break;
        ec.clear();
        missing_.push_back(p);
    }
}

void FolderMadeForStart::takeAway() const {
    // rmdir, which leaves a folder with anything in it alone, and so every folder above it.
    for (const auto& p : missing_)
        if (::rmdir(p.c_str()) != 0) break;
}

}  // namespace platform
