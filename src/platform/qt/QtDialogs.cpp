#include "platform/qt/QtDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStringList>
#include <memory>

namespace platform::qt {

std::optional<std::filesystem::path> QtSavePanelRunner::runModal(const SavePanelRequest& request) {
    QFileDialog dialog(nullptr, QString::fromStdString(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The desktop's own dialog may ignore the filter and the suffix; ours keeps both.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    dialog.setDirectory(folder);
    if (!request.allowedExtensions.empty()) {
        QStringList patterns;
        for (const auto& extension : request.allowedExtensions)
            patterns << QStringLiteral("*.") + QString::fromStdString(extension);
        dialog.setNameFilter(patterns.join(QLatin1Char(' ')));
        dialog.setDefaultSuffix(QString::fromStdString(request.allowedExtensions.front()));
    }
    dialog.selectFile(QString::fromStdString(request.proposedFileName));
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return std::filesystem::path(chosen.front().toStdString());
}

namespace {
QMessageBox* alertBox(const Alert& alert) {
    auto* box = new QMessageBox(QMessageBox::Warning, QString::fromStdString(alert.messageText),
                                QString::fromStdString(alert.messageText), QMessageBox::Ok);
    box->setInformativeText(QString::fromStdString(alert.informativeText));
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    return box;
}
}  // namespace

void QtAlertRunner::runModal(const Alert& alert) {
    std::unique_ptr<QMessageBox> box(alertBox(alert));
    box->exec();
}

void QtAlertRunner::show(const Alert& alert) {
    auto* box = alertBox(alert);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

}  // namespace platform::qt
