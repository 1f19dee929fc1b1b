#pragma once

#include "platform/Geometry.h"

namespace anim {

using platform::Point;
using platform::Rect;
using platform::Size;

// A 2-D affine map in the row-vector convention of the design's drawing model:
// x' = a x + c y + tx, y' = b x + d y + ty.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static Affine translation(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }
    static Affine scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Affine rotation(double radians);

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    // This map first, then `next`.
    Affine then(const Affine& next) const;
    Affine inverted() const;
    // The axis-aligned box around the mapped rectangle.
    Rect applyToRect(const Rect& r) const;
    bool isIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1 && tx == 0 && ty == 0; }

    friend bool operator==(const Affine&, const Affine&) = default;
};

// A layer transform: a translation, then a rotation about z (radians, counter-clockwise with y
// up), then a scale, each composed onto the previous one. A point is thus scaled first, then
// rotated, then moved. Keeping the parts apart lets animations address them one by one
// ("transform.scale.x", "transform.rotation.z") and interpolate them the way they were written.
struct Transform {
    double tx = 0;
    double ty = 0;
    double rotation = 0;
    double sx = 1;
    double sy = 1;

    static constexpr Transform identity() { return {}; }
    static constexpr Transform pose(double tx, double ty, double rotation, double sx, double sy) {
        return {tx, ty, rotation, sx, sy};
    }
    static constexpr Transform translation(double tx, double ty) { return {tx, ty, 0, 1, 1}; }
    static constexpr Transform rotationZ(double radians) { return {0, 0, radians, 1, 1}; }
    static constexpr Transform scale(double sx, double sy) { return {0, 0, 0, sx, sy}; }
    static constexpr Transform scale(double s) { return {0, 0, 0, s, s}; }

    Affine affine() const;
    Point apply(Point p) const { return affine().apply(p); }
    constexpr bool isIdentity() const { return tx == 0 && ty == 0 && rotation == 0 && sx == 1 && sy == 1; }

    friend bool operator==(const Transform&, const Transform&) = default;
};

}  // namespace anim
