#include "windows/KeyChartCurve.h"

#include <cmath>

namespace windows {

namespace {
constexpr double kTension = 0.5;
constexpr int kSamplesPerSpan = 16;
}  // namespace

std::vector<CurvePoint> smoothCurve(const std::vector<CurvePoint>& knots) {
    if (knots.size() < 2) return knots;
    const size_t n = knots.size();
    auto tangent = [&](size_t i) {
        const CurvePoint& before = knots[i == 0 ? 0 : i - 1];
        const CurvePoint& after = knots[i + 1 == n ? i : i + 1];
        // One-sided at the ends, so the curve leaves the first point toward the second.
        const double scale = (i == 0 || i + 1 == n) ? (1 - kTension) : (1 - kTension) / 2;
        return CurvePoint{(after.x - before.x) * scale, (after.y - before.y) * scale};
    };
    std::vector<CurvePoint> curve{knots.front()};
    for (size_t i = 0; i + 1 < n; ++i) {
        const CurvePoint p0 = knots[i], p1 = knots[i + 1], m0 = tangent(i), m1 = tangent(i + 1);
        for (int s = 1; s <= kSamplesPerSpan; ++s) {
            const double t = static_cast<double>(s) / kSamplesPerSpan, t2 = t * t, t3 = t2 * t;
            const double h00 = 2 * t3 - 3 * t2 + 1, h10 = t3 - 2 * t2 + t, h01 = -2 * t3 + 3 * t2, h11 = t3 - t2;
            curve.push_back({h00 * p0.x + h10 * m0.x + h01 * p1.x + h11 * m1.x,
                             h00 * p0.y + h10 * m0.y + h01 * p1.y + h11 * m1.y});
        }
    }
    return curve;
}

double niceStep(double rough) {
    if (!(rough > 1)) return 1;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double f = rough / power;
    return (f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10) * power;
}

}  // namespace windows
