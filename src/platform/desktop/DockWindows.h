#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace platform {

// Which of the window manager's clients are docks (panels, taskbars), remembered from the client
// list and each client's window type, so that finding the docks asks nothing about the other
// windows. A client's type is read when it joins the list and again whenever it changes.
class DockWindows {
public:
    // Takes the client list as it is now and forgets the windows that left it. Returns the
    // windows new to it, in the list's order: their type is to be read.
    std::vector<uint32_t> takeClients(const std::vector<uint32_t>& clients);
    bool isClient(uint32_t window) const { return dock_.contains(window); }
    // A client's type as read; dropped for a window that is no longer a client.
    void typeRead(uint32_t window, bool isDock);
    // The docks among the clients, in the client list's order.
    std::vector<uint32_t> docks() const;

private:
    std::vector<uint32_t> clients_;
    std::unordered_map<uint32_t, bool> dock_;  // every client; false until its type is read
};

}  // namespace platform
