#pragma once

#include <vector>

#include "platform/Workspace.h"

namespace platform::sim {

// Remembers what it was asked to open or show.
class SimWorkspace final : public Workspace {
public:
    bool openFile(const std::filesystem::path& file) override {
        opened.push_back(file);
        return true;
    }
    void revealFile(const std::filesystem::path& file) override { revealed.push_back(file); }

    std::vector<std::filesystem::path> opened;
    std::vector<std::filesystem::path> revealed;
};

}  // namespace platform::sim
