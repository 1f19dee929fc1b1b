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

}  // namespace platform
