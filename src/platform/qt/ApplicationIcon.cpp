#include "platform/qt/ApplicationIcon.h"

#include <QString>
#include <filesystem>
#include <system_error>

namespace platform::qt {

QIcon applicationIcon(const ResourceBundle& bundle) {
    namespace fs = std::filesystem;
    QIcon icon;
    std::error_code ec;
    const fs::path theme = bundle.root() / "icons" / "hicolor";
    for (fs::directory_iterator it(theme, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path png = it->path() / "apps" / "tuftle.png";
        if (fs::is_regular_file(png, ec)) icon.addFile(QString::fromStdString(png.string()));
    }
    return icon;
}

}  // namespace platform::qt
