#pragma once

#include <vector>

#include "platform/Workspace.h"

namespace platform::sim {

// Remembers what it was asked to open.
class SimWorkspace final : public Workspace {
public:
    bool openFile(const std::filesystem::path& file) override {
        opened.push_back(file);
        return true;
    }

    std::vector<std::filesystem::path> opened;
};

}  // namespace platform::sim
