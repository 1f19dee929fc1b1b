#pragma once

#include <cstdint>
#include <set>
#include <vector>

namespace platform {

// The windows other programs keep hidden on the root, which a look at the stacking order may
// take as hidden without asking the X server: each is first told to report its map and its end,
// and only a look after that may vouch that it is still hidden.
class HiddenWindows {
public:
    // The windows a look asked about and found hidden; returns those to be told to report.
    std::vector<uint32_t> found(const std::vector<uint32_t>& hidden);
    // A window came up or left the root. True when it was followed: it may now cover the pets,
    // and is to be told to stop reporting.
    bool cameUp(uint32_t window);
    void ended(uint32_t window);

    // The windows taken as hidden without asking.
    const std::set<uint32_t>& known() const { return known_; }

private:
    std::set<uint32_t> followed_;
    std::set<uint32_t> known_;
};

}  // namespace platform
