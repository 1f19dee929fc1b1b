#pragma once

#include <optional>

#include "platform/Date.h"

namespace model {

// How hard the user is typing, from the gaps between presses: quick presses raise the
// intensity, a pause lets it fall back. Lies in 0.16...1 (0.24 for the first press).
struct TypingRhythmEngine {
    static double intensity(std::optional<platform::Date> previous, platform::Date current, double currentIntensity);
};

}  // namespace model
