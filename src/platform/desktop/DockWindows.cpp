#include "platform/desktop/DockWindows.h"

namespace platform {

std::vector<uint32_t> DockWindows::takeClients(const std::vector<uint32_t>& clients) {
    std::unordered_map<uint32_t, Client> kept;
    std::vector<uint32_t> added;
    for (uint32_t w : clients) {
        const auto known = known_.find(w);
        if (known == known_.end()) {
            added.push_back(w);
            kept.emplace(w, Client{});
        } else {
            kept.emplace(w, known->second);
        }
    }
    clients_ = clients;
    known_ = std::move(kept);
    return added;
}

void DockWindows::typeRead(uint32_t window, bool isDock) {
    if (const auto known = known_.find(window); known != known_.end()) known->second.dock = isDock;
}

void DockWindows::strutRead(uint32_t window, std::optional<DockStrut> strut) {
    if (const auto known = known_.find(window); known != known_.end()) known->second.strut = strut;
}

std::vector<uint32_t> DockWindows::docks() const {
    std::vector<uint32_t> out;
    for (uint32_t w : clients_)
        if (known_.at(w).dock) out.push_back(w);
    return out;
}

std::vector<DockStrut> DockWindows::struts() const {
    std::vector<DockStrut> out;
    for (uint32_t w : clients_)
        if (const auto& strut = known_.at(w).strut) out.push_back(*strut);
    return out;
}

}  // namespace platform
