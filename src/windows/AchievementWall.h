#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/CompanionModels.h"

// The texts and choices of the achievement wall, apart from its drawing.
namespace windows {

using AchievementStates = std::vector<model::CompanionAchievementState>;

int unlockedCount(const AchievementStates& states);
// The locked achievement with the most progress, the earliest on ties; nothing when every
// one is unlocked.
std::optional<model::CompanionAchievementState> nextBadge(const AchievementStates& states);

// The hero card's line under the count.
std::string nextBadgeLine(const AchievementStates& states);
// "<unlocked> / <total> lit" beside the section title.
std::string unlockedSummary(const AchievementStates& states);
// The hover help of a tile.
std::string tileHelp(const model::CompanionAchievementState& state);
// What a screen reader says for a tile.
std::string tileAccessibilityLabel(const model::CompanionAchievementState& state);
// The status line of the detail popover and of a tile.
std::string detailStatus(const model::CompanionAchievementState& state);
std::string tileStatus(const model::CompanionAchievementState& state);

}  // namespace windows
