#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/PetEnums.h"
#include "model/PetModels.h"

namespace model {

// Picks the style of the next typing reaction: the enabled styles take turns. The count
// sign is never a reaction of its own here (it has its milestone).
struct KeyboardReactionScheduler {
    static KeyboardReactionStyle nextStyle(const KeyboardReactionSet& enabled,
                                           std::optional<KeyboardReactionStyle> previous, int64_t sequence);
};

// Splits one reaction between the pets: the pets take turns leading, and every third
// reaction the other pet joins a little later and smaller, in another enabled style.
struct DualPetKeyboardPlanner {
    static std::vector<PetKeyboardReaction> plan(int petCount, const KeyboardReactionSet& enabled,
                                                 KeyboardReactionStyle primaryStyle, int64_t sequence);
};

}  // namespace model
