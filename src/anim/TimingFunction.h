#pragma once

namespace anim {

// A pacing curve: the cubic Bézier from (0, 0) to (1, 1) through two control points, mapping
// the fraction of time elapsed to the fraction of change made.
class TimingFunction {
public:
    constexpr TimingFunction(double c1x, double c1y, double c2x, double c2y)
        : c1x_(c1x), c1y_(c1y), c2x_(c2x), c2y_(c2y) {}

    static constexpr TimingFunction linear() { return {0, 0, 1, 1}; }
    static constexpr TimingFunction easeIn() { return {0.42, 0, 1, 1}; }
    static constexpr TimingFunction easeOut() { return {0, 0, 0.58, 1}; }
    static constexpr TimingFunction easeInEaseOut() { return {0.42, 0, 0.58, 1}; }
    // The curve of implicit animations.
    static constexpr TimingFunction defaultCurve() { return {0.25, 0.1, 0.25, 1}; }

    // The eased fraction for a time fraction in 0...1 (clamped).
    double valueAt(double x) const;

    friend bool operator==(const TimingFunction&, const TimingFunction&) = default;

private:
    double c1x_, c1y_, c2x_, c2y_;
};

}  // namespace anim
