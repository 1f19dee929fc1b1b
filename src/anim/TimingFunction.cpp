#include "anim/TimingFunction.h"

#include <cmath>

namespace anim {
namespace {

// One coordinate of the Bézier with end points 0 and 1, at parameter s.
double bezier(double p1, double p2, double s) {
    double u = 1 - s;
    return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
}

double bezierSlope(double p1, double p2, double s) {
    double u = 1 - s;
    return 3 * u * u * p1 + 6 * u * s * (p2 - p1) + 3 * s * s * (1 - p2);
}

}  // namespace

double TimingFunction::valueAt(double x) const {
    if (x <= 0) return 0;
    if (x >= 1) return 1;
    if (c1x_ == c1y_ && c2x_ == c2y_) return x;
    // Find the parameter whose x is the time fraction: Newton first, bisection when it stalls.
    double s = x;
    for (int i = 0; i < 8; ++i) {
        double err = bezier(c1x_, c2x_, s) - x;
        if (std::abs(err) < 1e-9) return bezier(c1y_, c2y_, s);
        double slope = bezierSlope(c1x_, c2x_, s);
        if (std::abs(slope) < 1e-7) break;
        s = std::fmin(1.0, std::fmax(0.0, s - err / slope));
    }
    double lo = 0, hi = 1;
    s = x;
    for (int i = 0; i < 60; ++i) {
        double v = bezier(c1x_, c2x_, s);
        if (std::abs(v - x) < 1e-9) break;
        (v < x ? lo : hi) = s;
        s = (lo + hi) / 2;
    }
    return bezier(c1y_, c2y_, s);
}

}  // namespace anim
