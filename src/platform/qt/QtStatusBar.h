#pragma once

#include "platform/StatusItem.h"

namespace platform::qt {

// Tray entries on QSystemTrayIcon (StatusNotifierItem or XEmbed, whichever the desktop has).
class QtStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> createStatusItem() override;
};

}  // namespace platform::qt
