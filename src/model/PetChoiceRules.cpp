#include "model/PetChoiceRules.h"

#include <algorithm>
#include <cmath>

namespace model {

namespace {

struct SceneBand {
    double upperBound;  // excluded
    PetLifeScene scene;
};

struct SceneTable {
    std::array<SceneBand, 5> bands;
    PetLifeScene withoutTypingCount;  // stands in for showingCount
};

constexpr SceneTable sceneTable(PetActivityLevel level) {
    using S = PetLifeScene;
    switch (level) {
        case PetActivityLevel::quiet:
            return {{{{0.33, S::sleeping},
                      {0.64, S::eating},
                      {0.88, S::showingCount},
                      {0.97, S::laughing},
                      {1.0, S::crying}}},
                    S::laughing};
        case PetActivityLevel::natural:
            return {{{{0.25, S::eating},
                      {0.43, S::sleeping},
                      {0.62, S::running},
                      {0.80, S::laughing},
                      {0.93, S::showingCount}}},
                    S::eating};
        case PetActivityLevel::lively:
            return {{{{0.30, S::running},
                      {0.53, S::laughing},
                      {0.72, S::eating},
                      {0.82, S::sleeping},
                      {0.94, S::showingCount}}},
                    S::running};
    }
    return sceneTable(PetActivityLevel::natural);
}

struct EventBand {
    double upperBound;  // excluded
    PetRelationshipEvent event;
};

constexpr std::array<EventBand, 8> relationshipBands{{
    {0.12, PetRelationshipEvent::cuddle},
    {0.24, PetRelationshipEvent::chase},
    {0.33, PetRelationshipEvent::searchForFriend},
    {0.41, PetRelationshipEvent::greet},
    {0.52, PetRelationshipEvent::highFive},
    {0.59, PetRelationshipEvent::copycat},
    {0.66, PetRelationshipEvent::lookout},
    {0.83, PetRelationshipEvent::shareSnack},
}};

}  // namespace

std::vector<int> PetBehaviorTurnPolicy::eligiblePetIDs(int petCount, const std::vector<PetActivity>& activities,
                                                       const std::set<int>& manuallyPlaced) {
    const int n = std::min(static_cast<int>(std::min<size_t>(activities.size(), 2)), petCount < 2 ? 1 : 2);
    std::vector<int> ids;
    for (int id = 0; id < n; ++id) {
        const auto activity = activities[static_cast<size_t>(id)];
        const bool excluded = std::find(turnExcludedActivities.begin(), turnExcludedActivities.end(), activity) !=
                              turnExcludedActivities.end();
        if (!excluded && !manuallyPlaced.contains(id)) ids.push_back(id);
    }
    return ids;
}

std::optional<int> PetBehaviorTurnPolicy::nextPetID(const std::vector<int>& eligible, int turn) {
    if (eligible.empty()) return std::nullopt;
    return eligible[static_cast<size_t>(std::max(turn, 0)) % eligible.size()];
}

PetCountTransitionPlan PetCountTransitionEngine::plan(int from, int to) {
    const int f = std::clamp(from, 1, 2), t = std::clamp(to, 1, 2);
    PetCountTransitionPlan plan;
    for (int id = 0; id < std::min(f, t); ++id) plan.kept.push_back(id);
    for (int id = f; id < t; ++id) plan.added.push_back(id);
    for (int id = t; id < f; ++id) plan.removed.push_back(id);
    return plan;
}

PetLifeScene selectedLifeScene(PetActivityLevel level, double randomUnit, bool hasTypingCount) {
    // `!(x > 0)` also catches NaN.
    const double r = !(randomUnit > 0) ? 0 : std::min(randomUnit, 0.9999);
    const auto table = sceneTable(level);
    for (const auto& band : table.bands) {
        if (r >= band.upperBound) continue;
        if (band.scene == PetLifeScene::showingCount && !hasTypingCount) return table.withoutTypingCount;
        return band.scene;
    }
    return PetLifeScene::crying;
}

PetRelationshipEvent PetRelationshipEngine::event(int petCount, double idleSeconds, double randomUnit) {
    const double r = randomUnit;
    // No pet has nobody to celebrate.
    if (petCount < 1) return PetRelationshipEvent::none;
    if (petCount < 2) return r > 0.82 ? PetRelationshipEvent::celebrate : PetRelationshipEvent::none;
    if (idleSeconds > 240 && r > 0.72) return PetRelationshipEvent::wakeSleepyFriend;
    if (r >= 0)
        for (const auto& band : relationshipBands)
            if (r < band.upperBound) return band.event;
    return PetRelationshipEvent::comfort;
}

}  // namespace model
