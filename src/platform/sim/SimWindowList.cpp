#include "platform/sim/SimWindowList.h"

namespace platform::sim {

std::optional<std::vector<WindowInfo>> SimWindowList::onScreenWindows() {
    ++copyCount;
    if (!available) return std::nullopt;
    return windows;
}

}  // namespace platform::sim
