#pragma once

namespace platform {

// The desktop's accessibility display settings. Each query reads the setting as it is now; a
// change is posted as notifications::reduceMotionChanged.
class Accessibility {
public:
    virtual ~Accessibility() = default;
    // The user asks for less motion on screen.
    virtual bool reduceMotion() const = 0;
    // The user asks for opaque surfaces instead of see-through ones. Posted as
    // notifications::reduceTransparencyChanged.
    virtual bool reduceTransparency() const { return false; }
};

}  // namespace platform
