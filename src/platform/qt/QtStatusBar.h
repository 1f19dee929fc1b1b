#pragma once

#include "platform/StatusItem.h"

namespace platform::qt {

// Tray entries on QSystemTrayIcon (StatusNotifierItem or XEmbed, whichever the desktop has).
class QtStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> createStatusItem() override;
    // The tray host sizes and places every icon itself: no item can widen itself to push
    // others aside, nor keep a position of its own.
    bool supportsItemLayout() const override { return false; }
};

}  // namespace platform::qt
