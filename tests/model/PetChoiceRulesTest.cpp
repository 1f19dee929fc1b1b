#include <gtest/gtest.h>

#include <limits>

#include "model/PetChoiceRules.h"

using namespace model;
using A = PetActivity;
using E = PetRelationshipEvent;
using L = PetActivityLevel;
using S = PetLifeScene;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
using Ids = std::vector<int>;
}  // namespace

TEST(PetBehaviorTurnPolicy, heldPlacedAndUncountedPetsNeverGetATurn) {
    EXPECT_EQ(PetBehaviorTurnPolicy::eligiblePetIDs(2, {A::idle, A::roaming}, {}), (Ids{0, 1}));
    EXPECT_EQ(PetBehaviorTurnPolicy::eligiblePetIDs(1, {A::idle, A::idle}, {}), (Ids{0}));
    EXPECT_EQ(PetBehaviorTurnPolicy::eligiblePetIDs(0, {A::idle}, {}), (Ids{0}));
    EXPECT_EQ(PetBehaviorTurnPolicy::eligiblePetIDs(5, {A::idle, A::idle, A::idle}, {}), (Ids{0, 1}));
    EXPECT_EQ(PetBehaviorTurnPolicy::eligiblePetIDs(2, {}, {}), Ids{});
    EXPECT_EQ(PetBehaviorTurnPolicy::eligiblePetIDs(2, {A::dragged, A::sleeping}, {}), (Ids{1}));
    EXPECT_EQ(PetBehaviorTurnPolicy::eligiblePetIDs(2, {A::home, A::perched}, {}), (Ids{0}));
    EXPECT_EQ(PetBehaviorTurnPolicy::eligiblePetIDs(2, {A::home, A::home}, {0}), (Ids{1}));
}

TEST(PetBehaviorTurnPolicy, turnsCycleThroughEligiblePets) {
    EXPECT_EQ(PetBehaviorTurnPolicy::nextPetID({1}, 7), 1);
    EXPECT_EQ(PetBehaviorTurnPolicy::nextPetID({0, 1}, 3), 1);
    EXPECT_EQ(PetBehaviorTurnPolicy::nextPetID({1, 0}, -3), 1);
    EXPECT_EQ(PetBehaviorTurnPolicy::nextPetID({0, 1}, std::numeric_limits<int>::min()), 0);
    EXPECT_EQ(PetBehaviorTurnPolicy::nextPetID({}, 0), std::nullopt);
}

TEST(PetCountTransitionEngine, countsAreHeldToOneOrTwoPets) {
    EXPECT_EQ(PetCountTransitionEngine::plan(2, 1), (PetCountTransitionPlan{{0}, {}, {1}}));
    EXPECT_EQ(PetCountTransitionEngine::plan(1, 2), (PetCountTransitionPlan{{0}, {1}, {}}));
    EXPECT_EQ(PetCountTransitionEngine::plan(0, 5), (PetCountTransitionPlan{{0}, {1}, {}}));
    EXPECT_EQ(PetCountTransitionEngine::plan(2, 2), (PetCountTransitionPlan{{0, 1}, {}, {}}));
    EXPECT_EQ(PetCountTransitionEngine::plan(-1, 1), (PetCountTransitionPlan{{0}, {}, {}}));
}

TEST(SelectedLifeScene, eachBandStartsAtItsLowerEdge) {
    struct Edge {
        L level;
        double r;
        S scene;
    };
    // clang-format off
    const std::vector<Edge> edges{
        {L::quiet, 0, S::sleeping},       {L::quiet, 0.33, S::eating},     {L::quiet, 0.64, S::showingCount},
        {L::quiet, 0.88, S::laughing},    {L::quiet, 0.97, S::crying},     {L::natural, 0.2499, S::eating},
        {L::natural, 0.25, S::sleeping},  {L::natural, 0.43, S::running},  {L::natural, 0.62, S::laughing},
        {L::natural, 0.8, S::showingCount}, {L::natural, 0.93, S::crying}, {L::lively, 0.3, S::laughing},
        {L::lively, 0.53, S::eating},     {L::lively, 0.72, S::sleeping},  {L::lively, 0.82, S::showingCount},
        {L::lively, 0.9399, S::showingCount}, {L::lively, 0.94, S::crying},
    };
    // clang-format on
    for (const auto& [level, r, scene] : edges)
        EXPECT_EQ(selectedLifeScene(level, r, true), scene) << rawValue(level) << " r=" << r;
}

TEST(SelectedLifeScene, withoutATypingCountTheCountBandGoesElsewhere) {
    EXPECT_EQ(selectedLifeScene(L::quiet, 0.7, true), S::showingCount);
    EXPECT_EQ(selectedLifeScene(L::quiet, 0.7, false), S::laughing);
    EXPECT_EQ(selectedLifeScene(L::natural, 0.9, false), S::eating);
    EXPECT_EQ(selectedLifeScene(L::lively, 0.9, false), S::running);
}

TEST(SelectedLifeScene, unitsOutsideZeroToOneAreHeldToIt) {
    for (L level : allCases<L>) {
        EXPECT_EQ(selectedLifeScene(level, 1.5, false), S::crying);
        EXPECT_EQ(selectedLifeScene(level, kInf, false), S::crying);
        EXPECT_EQ(selectedLifeScene(level, kNaN, false), selectedLifeScene(level, 0, false));
        EXPECT_EQ(selectedLifeScene(level, -kInf, false), selectedLifeScene(level, 0, false));
    }
}

TEST(PetRelationshipEngine, aLonePetOnlyCelebratesAndNoPetDoesNothing) {
    EXPECT_EQ(PetRelationshipEngine::event(1, 0, 0.82), E::none);
    EXPECT_EQ(PetRelationshipEngine::event(1, 0, 0.83), E::celebrate);
    EXPECT_EQ(PetRelationshipEngine::event(1, 0, kNaN), E::none);
    EXPECT_EQ(PetRelationshipEngine::event(0, 0, 0.99), E::none);
    EXPECT_EQ(PetRelationshipEngine::event(-1, 0, 0.99), E::none);
}

TEST(PetRelationshipEngine, twoPetsFollowTheBandsWithLowerEdgesIncluded) {
    const std::vector<std::pair<double, E>> edges{
        {0, E::cuddle},        {0.1199, E::cuddle},     {0.12, E::chase},   {0.24, E::searchForFriend},
        {0.33, E::greet},      {0.41, E::highFive},     {0.52, E::copycat}, {0.59, E::lookout},
        {0.66, E::shareSnack}, {0.8299, E::shareSnack}, {0.83, E::comfort}, {1, E::comfort},
        {-0.01, E::comfort},   {kNaN, E::comfort},
    };
    for (const auto& [r, event] : edges) {
        EXPECT_EQ(PetRelationshipEngine::event(2, 0, r), event) << "r=" << r;
        EXPECT_EQ(PetRelationshipEngine::event(3, 240, r), event) << "r=" << r;
    }
}

TEST(PetRelationshipEngine, aLongIdleSpellMakesTheUpperUnitsWakeTheFriend) {
    EXPECT_EQ(PetRelationshipEngine::event(2, 240.5, 0.72), E::shareSnack);
    EXPECT_EQ(PetRelationshipEngine::event(2, 240.5, 0.7201), E::wakeSleepyFriend);
    EXPECT_EQ(PetRelationshipEngine::event(2, 3600, 0.99), E::wakeSleepyFriend);
    EXPECT_EQ(PetRelationshipEngine::event(2, kNaN, 0.99), E::comfort);
}
