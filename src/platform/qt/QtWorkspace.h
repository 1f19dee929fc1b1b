#pragma once

#include "platform/Workspace.h"

namespace platform::qt {

// QDesktopServices, which hands files to xdg-open or the desktop's portal.
class QtWorkspace final : public Workspace {
public:
    bool openFile(const std::filesystem::path& file) override;
    // The freedesktop FileManager1 ShowItems call, else the folder through QDesktopServices.
    void revealFile(const std::filesystem::path& file) override;
};

}  // namespace platform::qt
