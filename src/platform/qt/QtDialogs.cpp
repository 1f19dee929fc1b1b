#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <utility>

#include "platform/qt/FixedWindowSize.h"

namespace platform::qt {
namespace {

// Left to itself a message box is as narrow as its longest word: the window manager then cuts
// its title and the message wraps into short lines. The title bar also holds the window
// manager's icon and buttons, and its font may be larger than ours.
constexpr int kMinimumWidth = 440;
constexpr int kTitleBarRoom = 150;
constexpr double kTitleFontAllowance = 1.2;

void widenForTitle(QMessageBox& box) {
    QFont font = QApplication::font();
    font.setBold(true);
    const int title = static_cast<int>(QFontMetrics(font).horizontalAdvance(box.windowTitle()) * kTitleFontAllowance);
    int width = std::max(kMinimumWidth, title + kTitleBarRoom);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    // The box sizes itself from its layout's minimum width, and lays itself out anew, dropping
    // anything added to its layout, whenever a text is set: the button row spans the box and
    // keeps its own minimum through that.
    if (auto* buttons = box.findChild<QDialogButtonBox*>()) buttons->setMinimumWidth(width);
}

// Qt may end a line after any "/", also after the one a path begins with, which then stands
// alone at the end of a line. A word joiner keeps that slash with the first folder's name; a
// long path still wraps after its later slashes, between folders.
QString keepingPathStartsWhole(const QString& text) {
    QString kept;
    bool slashInWord = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        kept += c;
        if (c.isSpace()) {
            slashInWord = false;
        } else if (c == u'/' && !std::exchange(slashInWord, true)) {
            if (i + 1 < text.size() && !text[i + 1].isSpace() && text[i + 1] != u'/') kept += QChar(0x2060);
        }
    }
    return kept;
}

QMessageBox* alertBox(const Alert& alert, AlertCause cause) {
    // The title bar names the alert; the box says the rest, without the title again.
    const std::string& body = alert.informativeText.empty() ? alert.messageText : alert.informativeText;
    auto* box = new QMessageBox(QMessageBox::Warning, QString::fromStdString(alert.messageText),
                                keepingPathStartsWhole(QString::fromStdString(body)), QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    if (!alert.buttonTitle.empty()) box->button(QMessageBox::Ok)->setText(QString::fromStdString(alert.buttonTitle));
    widenForTitle(*box);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    // Shown with a user time of 0, which tells the window manager not to focus it on mapping.
    if (cause == AlertCause::program) box->setAttribute(Qt::WA_ShowWithoutActivating);
    keepFixedSizeOnEachScreen(*box);
    return box;
}

}  // namespace

DestructiveConfirmation makeDestructiveConfirmation(QWidget* parent, const QString& title, const QString& message,
                                                    const QString& destructiveTitle, const QString& cancelTitle) {
    auto* box = new QMessageBox(QMessageBox::Warning, title, title, QMessageBox::NoButton, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(message);
    auto* destructive = box->addButton(destructiveTitle, QMessageBox::DestructiveRole);
    // Focused after a Tab it would otherwise become the default for as long as it has focus.
    destructive->setAutoDefault(false);
    auto* cancel = box->addButton(cancelTitle, QMessageBox::RejectRole);
    cancel->setObjectName("cancel");
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    widenForTitle(*box);
    keepFixedSizeOnEachScreen(*box);
    return {box, destructive};
}

void setConfirmationTitle(QMessageBox& box, const QString& title) {
    if (box.windowTitle() == title && box.text() == title) return;
    box.setWindowTitle(title);
    widenForTitle(box);
    box.setText(title);
}

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

void QtAlertRunner::runModal(const Alert& alert, AlertCause cause) {
    std::unique_ptr<QMessageBox> box(alertBox(alert, cause));
    if (cause == AlertCause::user) {
        box->exec();
        return;
    }
    // Qt activates every modal window it maps: this one waits without being modal.
    box->setWindowModality(Qt::NonModal);
    QEventLoop dismissed;
    QObject::connect(box.get(), &QDialog::finished, &dismissed, &QEventLoop::quit);
    box->show();
    dismissed.exec();
}

void QtAlertRunner::show(const Alert& alert, AlertCause cause) {
    auto* box = alertBox(alert, cause);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    // Above a window opened just before it, such as the welcome window of a first start.
    box->raise();
    if (cause == AlertCause::user) box->activateWindow();
    std::erase_if(shown_, [](const auto& entry) { return entry.second.isNull(); });
    shown_.emplace_back(alert, box);
}

bool QtAlertRunner::isShown(const Alert& alert) const {
    return std::ranges::any_of(shown_, [&](const auto& entry) { return entry.first == alert && entry.second; });
}

void QtAlertRunner::close(const Alert& alert) {
    for (auto& [shown, box] : shown_)
        if (shown == alert && box) box->close();
}

}  // namespace platform::qt
