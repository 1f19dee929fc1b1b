#include "platform/desktop/DockWindows.h"

namespace platform {

std::vector<uint32_t> DockWindows::takeClients(const std::vector<uint32_t>& clients) {
    std::unordered_map<uint32_t, bool> kept;
    std::vector<uint32_t> added;
    for (uint32_t w : clients) {
        const auto known = dock_.find(w);
        if (known == dock_.end()) added.push_back(w);
        kept.emplace(w, known != dock_.end() && known->second);
    }
    clients_ = clients;
    dock_ = std::move(kept);
    return added;
}

void DockWindows::typeRead(uint32_t window, bool isDock) {
    if (const auto known = dock_.find(window); known != dock_.end()) known->second = isDock;
}

std::vector<uint32_t> DockWindows::docks() const {
    std::vector<uint32_t> out;
    for (uint32_t w : clients_)
        if (dock_.at(w)) out.push_back(w);
    return out;
}

}  // namespace platform
