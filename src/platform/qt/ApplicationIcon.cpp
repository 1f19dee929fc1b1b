#include "platform/qt/ApplicationIcon.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

#include "platform/qt/FileImages.h"

namespace platform::qt {
namespace {

// Qt hands every size to the X server for each window it shows, the pet panels included, and
// keeps each decoded: window managers draw these icons at 64 px at the most, and take larger
// ones for menus and switchers from the installed theme.
constexpr int kLargestWindowIcon = 64;  // px
// A 64-pixel PNG is a few kilobytes.
constexpr uint64_t kMaxPictureSize = 1 << 20;

}  // namespace

QIcon applicationIcon(const ResourceBundle& bundle) {
    namespace fs = std::filesystem;
    std::map<int, fs::path> bySize;
    std::error_code ec;
    const fs::path theme = bundle.root() / "icons" / "hicolor";
    for (fs::directory_iterator it(theme, ec), end; !ec && it != end; it.increment(ec)) {
        int width = 0, height = 0;
        char rest = 0;
        const std::string folder = it->path().filename().string();
        if (std::sscanf(folder.c_str(), "%dx%d%c", &width, &height, &rest) != 2 || width != height || width <= 0 ||
            width > kLargestWindowIcon)
            continue;
        bySize.emplace(width, it->path() / "apps" / "tuftle.png");
    }
    return iconFromFiles(bySize, kMaxPictureSize);
}

}  // namespace platform::qt
