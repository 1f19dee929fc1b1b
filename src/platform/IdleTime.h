#pragma once

#include <optional>

namespace platform {

// How long the user has left the keyboard and the pointer alone, desktop-wide.
class IdleTime {
public:
    virtual ~IdleTime() = default;
    // Seconds since the last key press or pointer movement anywhere on the desktop; nullopt
    // when the desktop cannot tell.
    virtual std::optional<double> secondsSinceLastInput() = 0;
};

}  // namespace platform
