#include "platform/desktop/StackRead.h"

#include <algorithm>
#include <utility>

namespace platform {

StackRead::StackRead(std::vector<uint32_t> stack, const std::vector<uint32_t>& panels,
                     const std::set<uint32_t>& knownHidden)
    : stack_(std::move(stack)), roles_(stack_.size(), StackRole::unread), learnt_(stack_.size(), false) {
    for (size_t i = 0; i < stack_.size(); ++i)
        if (std::find(panels.begin(), panels.end(), stack_[i]) != panels.end())
            roles_[i] = StackRole::panel;
        else if (knownHidden.contains(stack_[i]))
            roles_[i] = StackRole::hidden;
    const size_t lowestPanel = size_t(std::find(roles_.begin(), roles_.end(), StackRole::panel) - roles_.begin());
    hasPanel_ = lowestPanel < stack_.size();
    readFrom_ = stack_.size();
    batch_ = stack_.size() - lowestPanel + firstReachBelowPanels;
}

std::vector<size_t> StackRead::nextBatch() {
    std::vector<size_t> unread;
    // A batch of children known already asks nothing: the read goes on to the next.
    while (unread.empty() && readFrom_ > 0 && hasPanel_ && !stackReadFarEnough(roles_)) {
        const size_t from = readFrom_ > batch_ ? readFrom_ - batch_ : 0;
        for (size_t i = from; i < readFrom_; ++i)
            if (roles_[i] == StackRole::unread) unread.push_back(i);
        readFrom_ = from;
        batch_ *= 2;
    }
    return unread;
}

void StackRead::learn(size_t i, StackRole role) {
    roles_[i] = role;
    learnt_[i] = true;
}

std::vector<uint32_t> StackRead::learnt(bool hidden) const {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < stack_.size(); ++i)
        if (learnt_[i] && (roles_[i] == StackRole::hidden) == hidden) out.push_back(stack_[i]);
    return out;
}

}  // namespace platform
