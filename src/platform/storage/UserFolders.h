#pragma once

#include <filesystem>

namespace platform {

// The user's cache folder: $XDG_CACHE_HOME when it is an absolute path, else ~/.cache.
std::filesystem::path cacheHome();

}  // namespace platform
