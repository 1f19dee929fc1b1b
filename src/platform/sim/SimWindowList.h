#pragma once

#include "platform/WindowList.h"

namespace platform::sim {

// A desktop the test lays out: the windows front to back and the front application.
class SimWindowList final : public WindowList {
public:
    std::optional<std::vector<WindowInfo>> onScreenWindows() override;
    std::optional<int32_t> frontmostApplicationPid() override { return frontmostPid; }

    std::vector<WindowInfo> windows;
    std::optional<int32_t> frontmostPid;
    // False stands for a window system that does not answer.
    bool available = true;
    int copyCount = 0;
};

}  // namespace platform::sim
