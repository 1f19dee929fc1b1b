#include "model/PetModels.h"

#include <algorithm>
#include <cmath>

#include <nlohmann/json.hpp>

#include "model/JsonCoding.h"
#include "model/L10n.h"

namespace model {

double PetActivityTuning::clampFactor(double factor) {
    if (std::isnan(factor)) return 1.0;
    return std::clamp(factor, minimumFactor, maximumFactor);
}

PetActivityTuning PetActivityTuning::clamped() const {
    return {clampFactor(sceneFrequency), clampFactor(interactionFrequency), clampFactor(travelDistance)};
}

Json PetActivityTuning::toJson() const {
    Json j = Json::object();
    j["sceneFrequency"] = sceneFrequency;
    j["interactionFrequency"] = interactionFrequency;
    j["travelDistance"] = travelDistance;
    return j;
}

std::optional<PetActivityTuning> PetActivityTuning::fromJson(const Json& j) {
    if (!j.is_object()) return std::nullopt;
    auto scene = coding::doubleMember(j, "sceneFrequency");
    auto interaction = coding::doubleMember(j, "interactionFrequency");
    auto travel = coding::doubleMember(j, "travelDistance");
    if (!scene || !interaction || !travel) return std::nullopt;
    return PetActivityTuning{*scene, *interaction, *travel};
}

PetAnimationCadence PetAnimationCadence::base(PetActivityLevel level) {
    switch (level) {
        case PetActivityLevel::quiet:
            return {{78, 126}, {116, 170}, {42, 105}, 105, 88};
        case PetActivityLevel::natural:
            return {{39, 71}, {58, 92}, {75, 165}, 150, 48};
        case PetActivityLevel::lively:
            return {{21, 43}, {35, 61}, {115, 235}, 205, 28};
    }
    return {{39, 71}, {58, 92}, {75, 165}, 150, 48};
}

PetAnimationCadence PetAnimationCadence::adjusted(const PetActivityTuning& tuning) const {
    const PetActivityTuning t = tuning.clamped();
    const double s = t.sceneFrequency, i = t.interactionFrequency, d = t.travelDistance;
    return {{sceneInterval.lowerBound / s, sceneInterval.upperBound / s},
            {relationshipInterval.lowerBound / i, relationshipInterval.upperBound / i},
            {roamDistance.lowerBound * d, roamDistance.upperBound * d},
            travelSpeed,
            windowWalkInterval / s};
}

std::array<PetProfile, 2> PetProfile::profiles() {
    return {PetProfile{0, defaultPetName(0), true}, PetProfile{1, defaultPetName(1), false}};
}

std::string defaultPetName(int index) {
    switch (index) {
        case 0:
            return L10n::t("栗栗");
        case 1:
            return L10n::t("丸丸");
        default:
            return {};
    }
}

}  // namespace model
