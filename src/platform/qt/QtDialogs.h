#pragma once

#include <QPointer>
#include <QString>
#include <utility>
#include <vector>

#include "platform/Alert.h"
#include "platform/ClosableAlerts.h"
#include "platform/SavePanel.h"

class QMessageBox;
class QPushButton;
class QWidget;

namespace platform::qt {

// A question asked before something that erases data, opened by the caller. Cancel (named
// "cancel") is the default and the Escape button, and the destructive button never takes
// Enter, so only a click, or Space once tabbed to, erases. It is wide enough for the window
// manager to show the title whole and for the message to read in long lines. It deletes itself
// once closed.
struct DestructiveConfirmation {
    QMessageBox* box;
    QPushButton* destructive;
};
DestructiveConfirmation makeDestructiveConfirmation(QWidget* parent, const QString& title, const QString& message,
                                                    const QString& destructiveTitle, const QString& cancelTitle);
// A new title for such a question while it is open, in its title bar and above its message,
// with the box widened when the title needs it.
void setConfirmationTitle(QMessageBox& box, const QString& title);

// QFileDialog, with Qt's own dialog so it looks the same on every desktop.
class QtSavePanelRunner final : public SavePanelRunner {
public:
    std::optional<std::filesystem::path> runModal(const SavePanelRequest& request) override;
};

// A QMessageBox warning with an OK button, kept above other windows.
class QtAlertRunner final : public AlertRunner, public ClosableAlerts {
public:
    void runModal(const Alert& alert, AlertCause cause) override;
    void show(const Alert& alert, AlertCause cause) override;
    bool isShown(const Alert& alert) const override;
    void close(const Alert& alert) override;

private:
    // Each box deletes itself once dismissed, which clears its pointer.
    std::vector<std::pair<Alert, QPointer<QMessageBox>>> shown_;
};

}  // namespace platform::qt
