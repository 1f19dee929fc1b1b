#include "platform/desktop/PanelStackOrder.h"

#include <algorithm>

namespace platform {
namespace {

bool viewableOther(StackRole role) {
    return role == StackRole::window || role == StackRole::overlay || role == StackRole::ceiling;
}

// The index of the lowest (`fromTop` false) or topmost child with `role`.
std::optional<size_t> find(const std::vector<StackRole>& stack, StackRole role, bool fromTop) {
    if (fromTop) {
        for (size_t i = stack.size(); i-- > 0;)
            if (stack[i] == role) return i;
    } else {
        for (size_t i = 0; i < stack.size(); ++i)
            if (stack[i] == role) return i;
    }
    return std::nullopt;
}

}  // namespace

bool stackReadFarEnough(const std::vector<StackRole>& stack) {
    const auto unread = find(stack, StackRole::unread, true);
    if (!unread) return true;
    const auto lowestPanel = find(stack, StackRole::panel, false);
    const auto topWindow = find(stack, StackRole::window, true);
    return (!lowestPanel || *lowestPanel > *unread) && topWindow && *topWindow > *unread;
}

std::vector<size_t> ceilingCandidates(const std::vector<StackRole>& stack) {
    const auto topWindow = find(stack, StackRole::window, true);
    std::vector<size_t> out;
    for (size_t i = topWindow ? *topWindow + 1 : 0; i < stack.size(); ++i)
        if (stack[i] == StackRole::overlay) out.push_back(i);
    return out;
}

std::optional<PanelStackMove> panelStackMove(const std::vector<StackRole>& stack) {
    const auto lowestPanel = find(stack, StackRole::panel, false);
    if (!lowestPanel) return std::nullopt;
    if (const auto ceiling = find(stack, StackRole::ceiling, false)) {
        const auto topPanel = find(stack, StackRole::panel, true);
        const bool inPlace =
            *topPanel < *ceiling && std::none_of(stack.begin() + std::ptrdiff_t(*lowestPanel),
                                                 stack.begin() + std::ptrdiff_t(*ceiling), viewableOther);
        if (inPlace) return std::nullopt;
        return PanelStackMove{*ceiling, true};
    }
    for (size_t i = stack.size(); i-- > 0;) {
        if (!viewableOther(stack[i])) continue;
        if (i < *lowestPanel) return std::nullopt;
        return PanelStackMove{i, false};
    }
    return std::nullopt;
}

}  // namespace platform
