#include "anim/Animation.h"

#include <algorithm>
#include <cmath>

namespace anim {

Animation Animation::basic(std::string keyPath, std::optional<Value> from, std::optional<Value> to, double duration) {
    Animation a;
    a.kind = Kind::basic;
    a.keyPath = std::move(keyPath);
    a.fromValue = std::move(from);
    a.toValue = std::move(to);
    a.duration = duration;
    return a;
}

Animation Animation::keyframes(std::string keyPath, std::vector<Value> values, double duration) {
    Animation a;
    a.kind = Kind::keyframe;
    a.keyPath = std::move(keyPath);
    a.values = std::move(values);
    a.duration = duration;
    return a;
}

double Animation::activeDuration() const {
    double cycles = repeatCount > 0 ? repeatCount : 1;
    if (std::isinf(cycles)) return infinity;
    return simpleDuration() * (autoreverses ? 2 : 1) * cycles;
}

std::optional<double> Animation::progressAt(double localTime) const {
    double d = simpleDuration();
    double active = activeDuration();
    double t = localTime;
    if (t < 0) {
        if (fillMode != FillMode::backwards && fillMode != FillMode::both) return std::nullopt;
        t = 0;
    }
    bool atEnd = false;
    if (t >= active) {
        bool holds = (fillMode == FillMode::forwards || fillMode == FillMode::both) && !removedOnCompletion;
        if (!holds) return std::nullopt;
        t = active;
        atEnd = true;
    }
    double cycle = autoreverses ? 2 * d : d;
    double within = std::fmod(t, cycle);
    // The very end of a whole number of cycles is the end of the last cycle, not the start of the next.
    if (atEnd && within == 0 && t > 0) within = cycle;
    double p = within <= d ? within / d : 2 - within / d;
    p = std::clamp(p, 0.0, 1.0);
    return timingFunction ? timingFunction->valueAt(p) : p;
}

Value Animation::valueAt(double progress, const Value& underlying) const {
    if (kind == Kind::basic) {
        Value from = underlying, to = underlying;
        if (fromValue && toValue) {
            from = *fromValue, to = *toValue;
        } else if (fromValue && byValue) {
            from = *fromValue, to = sum(*fromValue, *byValue);
        } else if (byValue && toValue) {
            from = difference(*toValue, *byValue), to = *toValue;
        } else if (fromValue) {
            from = *fromValue;
        } else if (toValue) {
            to = *toValue;
        } else if (byValue) {
            to = sum(underlying, *byValue);
        }
        return interpolate(from, to, progress);
    }
    if (values.empty()) return underlying;
    size_t n = values.size();
    if (n == 1) return values[0];
    bool keyed = keyTimes.size() == n;
    auto keyTime = [&](size_t i) { return keyed ? keyTimes[i] : double(i) / double(n - 1); };
    if (progress <= keyTime(0)) return values.front();
    if (progress >= keyTime(n - 1)) return values.back();
    size_t i = 0;
    while (i + 2 < n && progress >= keyTime(i + 1)) ++i;
    double span = keyTime(i + 1) - keyTime(i);
    if (span <= 0) return values[i + 1];
    double u = (progress - keyTime(i)) / span;
    if (!timingFunctions.empty()) u = timingFunctions[std::min(i, timingFunctions.size() - 1)].valueAt(u);
    return interpolate(values[i], values[i + 1], u);
}

}  // namespace anim
