#pragma once

#include <cstdint>

#include "model/PetEnums.h"
#include "platform/Random.h"

namespace model {

// One published typing reaction. The fresh id makes two equal reactions still differ.
struct KeyboardReactionEvent {
    platform::Uuid id;
    KeyboardReactionStyle style = KeyboardReactionStyle::bounce;
    double intensity = 0;  // typing intensity at the press, 0.16...1
    int64_t sequence = 0;  // running number since launch, from 0

    friend bool operator==(const KeyboardReactionEvent&, const KeyboardReactionEvent&) = default;
};

}  // namespace model
