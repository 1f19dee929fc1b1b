#pragma once

#include <filesystem>
#include <vector>

namespace platform {

// The user's cache folder: $XDG_CACHE_HOME when it is an absolute path, else ~/.cache.
std::filesystem::path cacheHome();

// A folder of the program's own that a start makes, with any folders above it, when missing:
// what was missing as the start began. A start that ends early takes it away again.
class FolderMadeForStart {
public:
    explicit FolderMadeForStart(const std::filesystem::path& folder);

    // Removes what was missing, while it is still empty: the start leaves nothing behind, and
    // what anyone put there stays.
    void takeAway() const;

private:
    std::vector<std::filesystem::path> missing_;  // the deepest first
};

}  // namespace platform
