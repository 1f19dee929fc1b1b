#include "anim/Transform.h"

#include <algorithm>
#include <cmath>

namespace anim {

Affine Affine::rotation(double radians) {
    double c = std::cos(radians), s = std::sin(radians);
    return {c, s, -s, c, 0, 0};
}

Affine Affine::then(const Affine& n) const {
    return {a * n.a + b * n.c, a * n.b + b * n.d,          c * n.a + d * n.c,
            c * n.b + d * n.d, tx * n.a + ty * n.c + n.tx, tx * n.b + ty * n.d + n.ty};
}

Affine Affine::inverted() const {
    double det = a * d - b * c;
    if (det == 0) return *this;
    double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    return {ia, ib, ic, id, -(tx * ia + ty * ic), -(tx * ib + ty * id)};
}

Rect Affine::applyToRect(const Rect& r) const {
    Point p[4] = {apply({r.minX(), r.minY()}), apply({r.maxX(), r.minY()}), apply({r.minX(), r.maxY()}),
                  apply({r.maxX(), r.maxY()})};
    double x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
    for (const Point& q : p) {
        x0 = std::min(x0, q.x), x1 = std::max(x1, q.x);
        y0 = std::min(y0, q.y), y1 = std::max(y1, q.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

Affine Transform::affine() const {
    // Scale, then rotate, then translate, multiplied out.
    double c = 1, s = 0;
    if (rotation != 0) c = std::cos(rotation), s = std::sin(rotation);
    return {sx * c, sx * s, -sy * s, sy * c, tx, ty};
}

}  // namespace anim
