#pragma once

#include <variant>

#include "anim/Color.h"
#include "anim/Transform.h"

namespace anim {

// The value of an animated property or property component.
using Value = std::variant<double, Point, Size, Rect, Transform, Color>;

// The straight-line mix of two values of the same kind at fraction f (a transform mixes its
// parts, so a rotation turns rather than shears). Mismatched kinds give `a`.
Value interpolate(const Value& a, const Value& b, double f);
// `delta` applied on top of `base`, as an additive animation does: sums, except that scales multiply.
Value accumulate(const Value& base, const Value& delta);
// Plain component-wise sum and difference (a basic animation's "by").
Value sum(const Value& a, const Value& b);
Value difference(const Value& a, const Value& b);

}  // namespace anim
