#include "platform/qt/QtWorkspace.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace platform::qt {

bool QtWorkspace::openFile(const std::filesystem::path& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

}  // namespace platform::qt
