#pragma once

#include <array>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "model/JsonCoding.h"
#include "model/PetEnums.h"
#include "platform/Geometry.h"

namespace model {

// A closed range lowerBound...upperBound.
struct ClosedRange {
    double lowerBound = 0;
    double upperBound = 0;
    bool contains(double v) const { return v >= lowerBound && v <= upperBound; }
    friend bool operator==(const ClosedRange&, const ClosedRange&) = default;
};

// The user's per-level factors. Held to 0.5...1.6 when stored by the model and again when
// applied; decoding keeps what it reads.
struct PetActivityTuning {
    static constexpr double minimumFactor = 0.5;
    static constexpr double maximumFactor = 1.6;

    double sceneFrequency = 1.0;        // divides the scene and window-walk intervals
    double interactionFrequency = 1.0;  // divides the two-pet relationship intervals
    double travelDistance = 1.0;        // multiplies the roaming distances

    // Each factor held to 0.5...1.6; a factor that is not a number becomes 1.0, so a bad
    // value can never turn the timing of the pets into NaN.
    PetActivityTuning clamped() const;
    static double clampFactor(double factor);

    Json toJson() const;
    // All three keys are required and must be numbers.
    static std::optional<PetActivityTuning> fromJson(const Json& j);

    friend bool operator==(const PetActivityTuning&, const PetActivityTuning&) = default;
};

// The timing of autonomous behaviour for one activity level.
struct PetAnimationCadence {
    ClosedRange sceneInterval;         // s between a pet's solo life scenes
    ClosedRange relationshipInterval;  // s between two-pet relationship events
    ClosedRange roamDistance;          // pt of a roaming hop
    double travelSpeed = 0;            // pt/s
    double windowWalkInterval = 0;     // s between window walks

    static PetAnimationCadence base(PetActivityLevel level);
    PetAnimationCadence adjusted(const PetActivityTuning& tuning) const;

    friend bool operator==(const PetAnimationCadence&, const PetAnimationCadence&) = default;
};

struct PetSkinColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    friend bool operator==(const PetSkinColor&, const PetSkinColor&) = default;
};

// The look of a pet; the default value is the original skin.
struct PetSkinManifest {
    std::string id = "tuftle.original";
    int rigVersion = 1;
    std::string furResource = "FurBallBody-v1";
    PetSkinColor eyeColor{0.99, 0.96, 0.87};
    PetSkinColor starColor{0.98, 0.80, 0.43};
    PetSkinColor scarfColor{0.49, 0.76, 0.72};

    static PetSkinManifest original() { return {}; }
    friend bool operator==(const PetSkinManifest&, const PetSkinManifest&) = default;
};

struct PetProfile {
    int id = 0;  // pet index, 0 or 1
    std::string defaultName;
    bool energetic = false;

    // The two pets, with their default names in the current interface language.
    static std::array<PetProfile, 2> profiles();

    friend bool operator==(const PetProfile&, const PetProfile&) = default;
};

// The default name of pet `index` in the current interface language; empty for an index
// that names no pet.
std::string defaultPetName(int index);

// The end of a drag: window origin at release and the smoothed drag velocity.
struct PetDragRelease {
    platform::Point origin;
    platform::Vector velocity;
    friend bool operator==(const PetDragRelease&, const PetDragRelease&) = default;
};

// Where a dropped pet clings to a screen edge.
struct ScreenEdgePerch {
    HomeEdge edge = HomeEdge::bottom;
    platform::Point origin;
    platform::Point approachOrigin;
    platform::Point hiddenOrigin;
    double boundaryOffset = 0;
    friend bool operator==(const ScreenEdgePerch&, const ScreenEdgePerch&) = default;
};

// One pet's share of a typing reaction.
struct PetKeyboardReaction {
    int petID = 0;
    KeyboardReactionStyle style = KeyboardReactionStyle::bounce;
    double delay = 0;  // s
    double intensityScale = 1;
    friend bool operator==(const PetKeyboardReaction&, const PetKeyboardReaction&) = default;
};

// The running animation class of one pet and how long it stays busy. `busyUntil` is on the
// monotonic media clock, so setting the wall clock back never leaves a pet busy for hours.
struct PetAnimationDirector {
    std::optional<PetClipKind> current;
    double busyUntil = -std::numeric_limits<double>::infinity();
    friend bool operator==(const PetAnimationDirector&, const PetAnimationDirector&) = default;
};

// The four phase lengths of an animation clip, in seconds.
struct PetClipTimeline {
    double anticipation = 0;
    double action = 0;
    double hold = 0;
    double recovery = 0;
    double total() const { return anticipation + action + hold + recovery; }
    friend bool operator==(const PetClipTimeline&, const PetClipTimeline&) = default;
};

// One planned walk.
struct PetTravelPlan {
    platform::Point destination;
    double duration = 0;        // s
    double strideDuration = 0;  // s
    double direction = 0;       // -1 left, 1 right
    friend bool operator==(const PetTravelPlan&, const PetTravelPlan&) = default;
};

}  // namespace model
