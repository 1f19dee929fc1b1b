#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {

// The process's file descriptors: the limit it runs under, and a few held back for the quit.
// A program short of descriptors does not fail where it runs out: Xlib and GLib wait or abort
// deep inside, so the pets would show and count nothing. It is checked before anything opens.

// RLIMIT_NOFILE.
struct DescriptorLimit {
    uint64_t soft = 0;
    uint64_t hard = 0;
};

// The soft limit a start asks for: as far as the hard limit allows, and for an unlimited hard
// limit as far as the kernel lets any process go. Never lower than it is.
uint64_t raisedSoftLimit(DescriptorLimit limit, uint64_t kernelCeiling);

// How many more can be opened under `soft` with `open` taken: the kernel hands out only numbers
// below the limit, lowest first, so an open one at or above it takes no room.
uint64_t descriptorsLeft(uint64_t soft, const std::vector<int>& open);

// Empty when `left` covers `needed`; else the line that says why a start cannot go on.
std::string descriptorShortage(uint64_t left, uint64_t needed, DescriptorLimit limit);

// Raises the soft limit (see raisedSoftLimit) for this process; programs it starts get the
// limit it had back, since some only cope with the usual one. Empty when `needed` more can be
// opened then; else the line that says why not.
std::string raiseDescriptorLimit(uint64_t needed);

// Descriptors held from the start, at the lowest free numbers, and given back as the quit
// begins: a limit lowered while the program runs leaves the quit room to save and to end.
class DescriptorReserve {
public:
    explicit DescriptorReserve(int count);
    ~DescriptorReserve();
    DescriptorReserve(const DescriptorReserve&) = delete;
    DescriptorReserve& operator=(const DescriptorReserve&) = delete;

    void release();
    size_t held() const { return held_.size(); }

private:
    std::vector<int> held_;
};

}  // namespace app
