#pragma once

#include <vector>

namespace windows {

struct CurvePoint {
    double x = 0;
    double y = 0;
};

// A smooth curve through the knots (a cardinal spline of tension 0.5), sampled densely enough
// to be drawn as a polyline. Fewer than two knots are returned as they are.
std::vector<CurvePoint> smoothCurve(const std::vector<CurvePoint>& knots);

// A round step (1, 2 or 5 times a power of ten, at least 1) near `rough`, for axis ticks.
double niceStep(double rough);

}  // namespace windows
