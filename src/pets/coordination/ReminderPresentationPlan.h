#pragma once

#include "pets/PetHome.h"
#include "platform/Geometry.h"

namespace pets {

// Where a reminding pet stands beside its home and where its sign goes, both inside the
// home screen's visible frame.
struct ReminderPresentationPlan {
    platform::Point petOrigin;
    platform::Point cardOrigin;

    static ReminderPresentationPlan make(const PetHome& home, const platform::Rect& visibleFrame,
                                         platform::Size petSize, platform::Size cardSize);
};

}  // namespace pets
