#pragma once

#include <memory>

#include "platform/StatusItem.h"

namespace menubar {

// The program's tray entry. For now a face in the tray with a menu that quits.
class MenuBarEntryController final {
public:
    static MenuBarEntryController& shared();

    // Creates the tray entry when none exists.
    void start();
    // Removes the tray entry.
    void stop();
    // Sets the tooltip again in the current language.
    void refreshLocalizedTooltip();

    bool isStarted() const { return static_cast<bool>(statusItem_); }

private:
    std::unique_ptr<platform::StatusItem> statusItem_;
};

}  // namespace menubar
