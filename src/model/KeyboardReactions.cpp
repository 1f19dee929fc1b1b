#include "model/KeyboardReactions.h"

#include <algorithm>
#include <array>

namespace model {

KeyboardReactionStyle KeyboardReactionScheduler::nextStyle(const KeyboardReactionSet& enabled,
                                                           std::optional<KeyboardReactionStyle> previous,
                                                           int64_t sequence) {
    // Runs on every reacting key press: the candidates stay on the stack.
    std::array<KeyboardReactionStyle, allCases<KeyboardReactionStyle>.size()> candidates{};
    size_t count = 0;
    for (KeyboardReactionStyle style : allCases<KeyboardReactionStyle>)
        if (style != KeyboardReactionStyle::showCount && enabled.count(style)) candidates[count++] = style;
    if (count == 0)
        for (KeyboardReactionStyle style : allCases<KeyboardReactionStyle>)
            if (style != KeyboardReactionStyle::showCount && keyboardReactionDefaults().count(style))
                candidates[count++] = style;
    if (count == 0) return KeyboardReactionStyle::bounce;

    if (count >= 2 && previous) {
        const auto end = candidates.begin() + static_cast<std::ptrdiff_t>(count);
        const auto at = std::find(candidates.begin(), end, *previous);
        if (at != end) return candidates[(static_cast<size_t>(at - candidates.begin()) + 1) % count];
    }
    return candidates[static_cast<size_t>(std::max<int64_t>(sequence, 0)) % count];
}

std::vector<PetKeyboardReaction> DualPetKeyboardPlanner::plan(int petCount, const KeyboardReactionSet& enabled,
                                                              KeyboardReactionStyle primaryStyle, int64_t sequence) {
    const int primary = petCount < 2 ? 0 : static_cast<int>(std::max<int64_t>(sequence, 0) % 2);
    std::vector<PetKeyboardReaction> reactions{{primary, primaryStyle, 0.0, 1.0}};
    if (petCount < 2 || sequence % 3 != 2) return reactions;

    KeyboardReactionStyle second = primaryStyle;
    for (KeyboardReactionStyle style : allCases<KeyboardReactionStyle>) {
        if (style != primaryStyle && enabled.count(style)) {
            second = style;
            break;
        }
    }
    reactions.push_back({1 - primary, second, 0.16, 0.48});
    return reactions;
}

}  // namespace model
