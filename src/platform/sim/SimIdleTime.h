#pragma once

#include "platform/IdleTime.h"

namespace platform::sim {

// The idle time the test sets; it does not grow with the virtual clock by itself.
class SimIdleTime final : public IdleTime {
public:
    std::optional<double> secondsSinceLastInput() override { return seconds; }
    std::optional<double> seconds = 0.0;
};

}  // namespace platform::sim
