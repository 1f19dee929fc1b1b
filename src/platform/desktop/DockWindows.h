#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/desktop/DockStruts.h"

namespace platform {

// What the window manager's clients keep of the screen, remembered from the client list and
// each client's own properties, so that a change asks nothing about the other windows: whether
// a client is a dock (a panel, a taskbar) and the strut it keeps, if any. A client's type and
// strut are read when it joins the list and again whenever the property changes.
class DockWindows {
public:
    // Takes the client list as it is now and forgets the windows that left it. Returns the
    // windows new to it, in the list's order: their type and strut are to be read.
    std::vector<uint32_t> takeClients(const std::vector<uint32_t>& clients);
    bool isClient(uint32_t window) const { return known_.contains(window); }
    // A client's type or strut (nullopt: it keeps none) as read; dropped for a window that is
    // no longer a client.
    void typeRead(uint32_t window, bool isDock);
    void strutRead(uint32_t window, std::optional<DockStrut> strut);
    // The docks among the clients, and the struts the clients keep, in the client list's order.
    std::vector<uint32_t> docks() const;
    std::vector<DockStrut> struts() const;

private:
    struct Client {
        bool dock = false;  // false until its type is read
        std::optional<DockStrut> strut;
    };
    std::vector<uint32_t> clients_;
    std::unordered_map<uint32_t, Client> known_;  // every client
};

}  // namespace platform
