#include "platform/qt/ApplicationIcon.h"

#include <QSize>
#include <QString>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace platform::qt {
namespace {

// Qt hands every size to the X server for each window it shows, the pet panels included, and
// keeps each decoded: window managers draw these icons at 64 px at the most, and take larger
// ones for menus and switchers from the installed theme.
constexpr int kLargestWindowIcon = 64;  // px

}  // namespace

QIcon applicationIcon(const ResourceBundle& bundle) {
    namespace fs = std::filesystem;
    QIcon icon;
    std::error_code ec;
    const fs::path theme = bundle.root() / "icons" / "hicolor";
    for (fs::directory_iterator it(theme, ec), end; !ec && it != end; it.increment(ec)) {
        int width = 0, height = 0;
        char rest = 0;
        const std::string folder = it->path().filename().string();
        if (std::sscanf(folder.c_str(), "%dx%d%c", &width, &height, &rest) != 2 || width != height || width <= 0 ||
            width > kLargestWindowIcon)
            continue;
        const fs::path png = it->path() / "apps" / "tuftle.png";
        // With its size given, Qt reads the picture only when a window asks for that size.
        if (fs::is_regular_file(png, ec)) icon.addFile(QString::fromStdString(png.string()), QSize(width, width));
    }
    return icon;
}

}  // namespace platform::qt
