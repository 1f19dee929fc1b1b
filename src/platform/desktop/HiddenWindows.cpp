#include "platform/desktop/HiddenWindows.h"

namespace platform {

std::vector<uint32_t> HiddenWindows::found(const std::vector<uint32_t>& hidden) {
    std::vector<uint32_t> toFollow;
    for (uint32_t w : hidden) {
        if (followed_.insert(w).second)
            toFollow.push_back(w);
        else
            known_.insert(w);
    }
    return toFollow;
}

bool HiddenWindows::cameUp(uint32_t window) {
    if (!followed_.erase(window)) return false;
    known_.erase(window);
    return true;
}

void HiddenWindows::ended(uint32_t window) {
    followed_.erase(window);
    known_.erase(window);
}

}  // namespace platform
