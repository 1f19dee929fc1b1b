#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "platform/desktop/PanelStackOrder.h"

namespace platform {

// The roles of the root's children as one look learns them: from the top down, a batch at a
// time, until they settle where the panels go (see stackReadFarEnough). Each batch is asked
// about at once and its answers waited for together, so a long stack costs a few waits, not one
// a child; the batches double, so a stack of any length takes a handful.
class StackRead {
public:
    // The first batch reaches this far below the lowest panel, where the topmost managed window
    // usually is.
    static constexpr size_t firstReachBelowPanels = 32;

    StackRead() = default;
    // `stack`: the root's children, bottom first. Panels and the children in `knownHidden` take
    // their roles at once; the rest are unread.
    StackRead(std::vector<uint32_t> stack, const std::vector<uint32_t>& panels, const std::set<uint32_t>& knownHidden);

    bool hasPanel() const { return hasPanel_; }
    // The unread children of the next batch down (bottom first), each to be learnt before the
    // next call; none once the roles read settle where the panels go, or all are read.
    std::vector<size_t> nextBatch();
    // What child `i` turned out to be, from the X server or from an earlier look. A child that
    // went away before its answer is hidden.
    void learn(size_t i, StackRole role);
    // A role decided after the read from more than the child's own answer (a menu over the
    // managed windows, our own dialog).
    void setRole(size_t i, StackRole role) { roles_[i] = role; }

    const std::vector<uint32_t>& stack() const { return stack_; }
    const std::vector<StackRole>& roles() const { return roles_; }
    // The children learnt, found hidden (`hidden`) or shown, bottom first.
    std::vector<uint32_t> learnt(bool hidden) const;

private:
    std::vector<uint32_t> stack_;
    std::vector<StackRole> roles_;
    std::vector<bool> learnt_;
    bool hasPanel_ = false;
    size_t readFrom_ = 0;  // the lowest child a batch reached
    size_t batch_ = 0;     // the size of the next batch
};

}  // namespace platform
