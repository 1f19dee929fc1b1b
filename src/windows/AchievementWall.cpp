#include "windows/AchievementWall.h"

#include <algorithm>

#include "model/L10n.h"

namespace windows {

using model::L10n;

int unlockedCount(const AchievementStates& states) {
    return static_cast<int>(std::count_if(states.begin(), states.end(), [](const auto& s) { return s.isUnlocked; }));
}

std::optional<model::CompanionAchievementState> nextBadge(const AchievementStates& states) {
    std::optional<model::CompanionAchievementState> candidate;
    for (const auto& state : states) {
        if (state.isUnlocked) continue;
        if (!candidate || state.progress > candidate->progress) candidate = state;
    }
    return candidate;
}

std::string nextBadgeLine(const AchievementStates& states) {
    const auto next = nextBadge(states);
    return next ? L10n::format(L10n::t("下一枚 · %@"), {model::title(next->badge)}) : L10n::t("所有徽章都点亮了");
}

std::string unlockedSummary(const AchievementStates& states) {
    return L10n::format(L10n::t("%d / %d 已点亮"),
                        {int64_t{unlockedCount(states)}, static_cast<int64_t>(states.size())});
}

std::string tileHelp(const model::CompanionAchievementState& state) {
    return state.isUnlocked ? L10n::format(L10n::t("查看%@"), {model::title(state.badge)})
                            : L10n::format(L10n::t("%@，当前%@"), {model::story(state.badge), state.progressText});
}

std::string tileAccessibilityLabel(const model::CompanionAchievementState& state) {
    return L10n::format(L10n::t("%@，%@，%@，%@"),
                        {model::title(state.badge), state.isUnlocked ? L10n::t("已点亮") : L10n::t("未点亮"),
                         model::story(state.badge), state.progressText});
}

std::string detailStatus(const model::CompanionAchievementState& state) {
    return state.isUnlocked ? L10n::t("已经点亮 · 栗丸记住了这一刻")
                            : L10n::format(L10n::t("还差一点点 · %@"), {state.progressText});
}

std::string tileStatus(const model::CompanionAchievementState& state) {
    return state.isUnlocked ? L10n::t("已点亮") : state.progressText;
}

}  // namespace windows
