#pragma once

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "anim/TimingFunction.h"
#include "anim/Value.h"

namespace anim {

// What an animation shows outside its active time: `backwards` holds the first value before
// the begin time, `forwards` the last value after the end (only while it is not removed).
enum class FillMode { removed, forwards, backwards, both };

// A property animation, copied into the layer it is added to. A basic animation runs from
// `fromValue` to `toValue` (either may be left out: the layer's underlying value stands in; or
// `byValue` gives the change); a keyframe animation runs through `values`.
struct Animation {
    enum class Kind { basic, keyframe };
    static constexpr double infinity = std::numeric_limits<double>::infinity();
    static constexpr double defaultDuration = 0.25;

    Kind kind = Kind::basic;
    std::string keyPath;

    std::optional<Value> fromValue, toValue, byValue;

    std::vector<Value> values;
    // Fractions of the duration at which each value is reached; evenly spaced when empty or
    // when their count does not match the values.
    std::vector<double> keyTimes;
    // One per segment between values; the last one serves any further segments.
    std::vector<TimingFunction> timingFunctions;

    // Paces the whole cycle (before key times are applied). Linear when unset.
    std::optional<TimingFunction> timingFunction;
    // Seconds of one cycle; 0 means 0.25.
    double duration = 0;
    // Media time at which it starts; 0 means when it is added.
    double beginTime = 0;
    // Cycles to play, fractions allowed; 0 means once; `infinity` means forever.
    double repeatCount = 0;
    // Each cycle plays forward and then backward.
    bool autoreverses = false;
    FillMode fillMode = FillMode::removed;
    bool removedOnCompletion = true;
    // Adds to the underlying value (scales multiply) instead of replacing it.
    bool additive = false;
    // Called on the main loop when the animation ends: `true` when it ran to its end, `false`
    // when it was removed or replaced first.
    std::function<void(bool finished)> completion;

    static Animation basic(std::string keyPath, std::optional<Value> from, std::optional<Value> to, double duration);
    static Animation keyframes(std::string keyPath, std::vector<Value> values, double duration);

    // Chainable settings, for tables of animations.
    Animation& setKeyTimes(std::vector<double> t) {
        keyTimes = std::move(t);
        return *this;
    }
    Animation& setTimingFunctions(std::vector<TimingFunction> f) {
        timingFunctions = std::move(f);
        return *this;
    }
    Animation& setTimingFunction(TimingFunction f) {
        timingFunction = f;
        return *this;
    }
    Animation& setRepeatCount(double n) {
        repeatCount = n;
        return *this;
    }
    Animation& setAutoreverses(bool on) {
        autoreverses = on;
        return *this;
    }
    Animation& setBeginTime(double t) {
        beginTime = t;
        return *this;
    }
    Animation& setFillMode(FillMode m) {
        fillMode = m;
        return *this;
    }
    Animation& setRemovedOnCompletion(bool on) {
        removedOnCompletion = on;
        return *this;
    }
    Animation& setAdditive(bool on) {
        additive = on;
        return *this;
    }
    Animation& setCompletion(std::function<void(bool)> f) {
        completion = std::move(f);
        return *this;
    }

    double simpleDuration() const { return duration > 0 ? duration : defaultDuration; }
    // Seconds from the begin time to the end of the last cycle; infinite for endless repeats.
    double activeDuration() const;
    // Where in its cycle (0...1, timing function applied) the animation is `localTime` seconds
    // after its begin time, or nothing when it shows nothing then.
    std::optional<double> progressAt(double localTime) const;
    // The value at a progress from progressAt; `underlying` is the value beneath the animation.
    Value valueAt(double progress, const Value& underlying) const;
};

}  // namespace anim
