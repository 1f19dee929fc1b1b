#pragma once

#include "platform/Alert.h"
#include "platform/SavePanel.h"

namespace platform::qt {

// QFileDialog, with Qt's own dialog so it looks the same on every desktop.
class QtSavePanelRunner final : public SavePanelRunner {
public:
    std::optional<std::filesystem::path> runModal(const SavePanelRequest& request) override;
};

// A QMessageBox warning with an OK button.
class QtAlertRunner final : public AlertRunner {
public:
    void runModal(const Alert& alert) override;
    void show(const Alert& alert) override;
};

}  // namespace platform::qt
