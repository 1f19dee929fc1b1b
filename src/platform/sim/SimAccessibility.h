#pragma once

#include "platform/Accessibility.h"
#include "platform/NotificationCenter.h"

namespace platform::sim {

// Settings a test sets; a change is posted as the desktop would post it.
class SimAccessibility final : public Accessibility {
public:
    explicit SimAccessibility(NotificationCenter& center) : center_(center) {}

    bool reduceMotion() const override { return reduceMotion_; }
    void setReduceMotion(bool on) {
        if (reduceMotion_ == on) return;
        reduceMotion_ = on;
        center_.post(notifications::reduceMotionChanged);
    }

    bool reduceTransparency() const override { return reduceTransparency_; }
    void setReduceTransparency(bool on) {
        if (reduceTransparency_ == on) return;
        reduceTransparency_ = on;
        center_.post(notifications::reduceTransparencyChanged);
    }

private:
    NotificationCenter& center_;
    bool reduceMotion_ = false;
    bool reduceTransparency_ = false;
};

}  // namespace platform::sim
