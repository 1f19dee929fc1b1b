#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/L10n.h"
#include "model/PetEnums.h"
#include "model/RawEnum.h"
#include "pets/PetHome.h"
#include "platform/Geometry.h"

// What the actions page plays on its preview stage: the mock homes, where the pets stand on
// them, and the timed beats of each life scene.
namespace windows {

enum class PreviewHomeEnvironment { notch, dockBottom, dockLeft, dockRight };

std::string title(PreviewHomeEnvironment environment);
// The home the preview pet is given: kind, edge and boundary offset, every origin at zero.
pets::PetHome previewHome(PreviewHomeEnvironment environment);

// The centre of pet `index` on a stage of `size` (y down from the stage's top).
platform::Point petPosition(int index, platform::Size size, PreviewHomeEnvironment environment,
                            model::PetActivity activity, int petCount, double motionOffset);

// One step of a scene script: `delay` seconds after the scene starts, the poses of both pets
// and the travel of the pets on the stage.
struct PreviewBeat {
    double delay = 0;
    model::PetActivity first = model::PetActivity::home;
    model::PetActivity second = model::PetActivity::home;
    double offset = 0;
};

std::string_view sceneSymbol(model::PetLifeScene scene);
model::PetActivity openingPose(model::PetLifeScene scene);
const std::vector<PreviewBeat>& sceneBeats(model::PetLifeScene scene);

model::PetActivityCategory category(model::PetActivity activity);
std::string title(model::PetActivityCategory category);

}  // namespace windows

namespace model {

template <>
struct EnumTable<windows::PreviewHomeEnvironment> {
    using E = windows::PreviewHomeEnvironment;
    static constexpr EnumRow<E> rows[] = {
        {E::notch, "notch", L10n::key("刘海")},
        {E::dockBottom, "dockBottom", L10n::key("Dock 底部")},
        {E::dockLeft, "dockLeft", L10n::key("Dock 左侧")},
        {E::dockRight, "dockRight", L10n::key("Dock 右侧")},
    };
};

}  // namespace model
