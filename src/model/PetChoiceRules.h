#pragma once

#include <array>
#include <optional>
#include <set>
#include <vector>

#include "model/PetEnums.h"

namespace model {

// Every choice below is deterministic: the caller draws each random unit (0...1) and passes it in.

// Whose turn the next autonomous behaviour is.
struct PetBehaviorTurnPolicy {
    // A pet in the user's hand or clinging where it was dropped is left alone.
    static constexpr std::array turnExcludedActivities{PetActivity::dragged, PetActivity::perched};

    // The ids, ascending, of the pets (at most two; any count below two means one) that may take
    // a turn. `activities` holds one activity per pet; none at all means no pet is eligible.
    static std::vector<int> eligiblePetIDs(int petCount, const std::vector<PetActivity>& activities,
                                           const std::set<int>& manuallyPlaced);
    // The eligible pets take turns in order; a negative turn counts as the first.
    static std::optional<int> nextPetID(const std::vector<int>& eligible, int turn);
};

// Which pet ids a change of the pet count keeps, adds and removes, each in ascending order.
struct PetCountTransitionPlan {
    std::vector<int> kept;
    std::vector<int> added;
    std::vector<int> removed;
    friend bool operator==(const PetCountTransitionPlan&, const PetCountTransitionPlan&) = default;
};

struct PetCountTransitionEngine {
    // Both counts are held to 1...2.
    static PetCountTransitionPlan plan(int from, int to);
};

// The solo life scene for a liveliness and a random unit. A unit outside 0...1 is held to it,
// and one that is no number counts as 0. Without a typing count to show, the count's share goes
// to another scene.
PetLifeScene selectedLifeScene(PetActivityLevel level, double randomUnit, bool hasTypingCount);

// What the two pets do together.
enum class PetRelationshipEvent {
    none,              // nothing
    cuddle,            // both pets cuddle
    chase,             // one pet chases the other
    searchForFriend,   // one searches, the other peeks
    wakeSleepyFriend,  // one wakes the sleeping other
    celebrate,         // the pets celebrate
    greet,             // the pets greet each other
    highFive,          // the pets meet and high-five
    copycat,           // one copies the other
    lookout,           // the pets go home and look into the distance
    shareSnack,        // the pets share a snack
    comfort,           // one cries, the other comforts it
};

template <>
struct EnumCases<PetRelationshipEvent> {
    static constexpr std::array values{
        PetRelationshipEvent::none,
        PetRelationshipEvent::cuddle,
        PetRelationshipEvent::chase,
        PetRelationshipEvent::searchForFriend,
        PetRelationshipEvent::wakeSleepyFriend,
        PetRelationshipEvent::celebrate,
        PetRelationshipEvent::greet,
        PetRelationshipEvent::highFive,
        PetRelationshipEvent::copycat,
        PetRelationshipEvent::lookout,
        PetRelationshipEvent::shareSnack,
        PetRelationshipEvent::comfort,
    };
};

struct PetRelationshipEngine {
    // A lone pet can only celebrate; with no pet at all nothing happens. After a long idle spell
    // the pets are likelier to wake each other.
    static PetRelationshipEvent event(int petCount, double idleSeconds, double randomUnit);
};

}  // namespace model
