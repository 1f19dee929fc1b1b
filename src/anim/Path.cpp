#include "anim/Path.h"

#include <algorithm>

namespace anim {
namespace {
// Control-point distance of a quarter circle drawn as one cubic curve.
constexpr double kappa = 0.5522847498307936;
}  // namespace

Path Path::ellipse(const Rect& r) {
    Path p;
    p.addEllipse(r);
    return p;
}

Path Path::rect(const Rect& r) {
    Path p;
    p.addRect(r);
    return p;
}

Path Path::roundedRect(const Rect& r, double cornerWidth, double cornerHeight) {
    Path p;
    p.addRoundedRect(r, cornerWidth, cornerHeight);
    return p;
}

Path Path::polygon(const std::vector<Point>& points) {
    Path p;
    for (size_t i = 0; i < points.size(); ++i) i == 0 ? p.moveTo(points[i]) : p.lineTo(points[i]);
    if (!points.empty()) p.closeSubpath();
    return p;
}

void Path::moveTo(Point p) {
    elements_.push_back({Op::move, {p, {}, {}}});
    current_ = start_ = p;
}

void Path::lineTo(Point p) {
    if (elements_.empty()) return moveTo(p);
    elements_.push_back({Op::line, {p, {}, {}}});
    current_ = p;
}

void Path::curveTo(Point c1, Point c2, Point end) {
    if (elements_.empty()) moveTo(c1);
    elements_.push_back({Op::curve, {c1, c2, end}});
    current_ = end;
}

void Path::quadTo(Point c, Point end) {
    Point c1{current_.x + 2.0 / 3.0 * (c.x - current_.x), current_.y + 2.0 / 3.0 * (c.y - current_.y)};
    Point c2{end.x + 2.0 / 3.0 * (c.x - end.x), end.y + 2.0 / 3.0 * (c.y - end.y)};
    curveTo(c1, c2, end);
}

void Path::closeSubpath() {
    if (elements_.empty() || elements_.back().op == Op::close) return;
    elements_.push_back({Op::close, {}});
    current_ = start_;
}

void Path::addEllipse(const Rect& r) {
    double cx = r.midX(), cy = r.midY(), rx = r.width() / 2, ry = r.height() / 2;
    double kx = kappa * rx, ky = kappa * ry;
    moveTo({cx + rx, cy});
    curveTo({cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    curveTo({cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    curveTo({cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    curveTo({cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    closeSubpath();
}

void Path::addRect(const Rect& r) {
    moveTo({r.minX(), r.minY()});
    lineTo({r.maxX(), r.minY()});
    lineTo({r.maxX(), r.maxY()});
    lineTo({r.minX(), r.maxY()});
    closeSubpath();
}

void Path::addRoundedRect(const Rect& r, double cornerWidth, double cornerHeight) {
    double rx = std::clamp(cornerWidth, 0.0, r.width() / 2), ry = std::clamp(cornerHeight, 0.0, r.height() / 2);
    if (rx == 0 || ry == 0) return addRect(r);
    double x0 = r.minX(), x1 = r.maxX(), y0 = r.minY(), y1 = r.maxY();
    double kx = kappa * rx, ky = kappa * ry;
    moveTo({x0 + rx, y0});
    lineTo({x1 - rx, y0});
    curveTo({x1 - rx + kx, y0}, {x1, y0 + ry - ky}, {x1, y0 + ry});
    lineTo({x1, y1 - ry});
    curveTo({x1, y1 - ry + ky}, {x1 - rx + kx, y1}, {x1 - rx, y1});
    lineTo({x0 + rx, y1});
    curveTo({x0 + rx - kx, y1}, {x0, y1 - ry + ky}, {x0, y1 - ry});
    lineTo({x0, y0 + ry});
    curveTo({x0, y0 + ry - ky}, {x0 + rx - kx, y0}, {x0 + rx, y0});
    closeSubpath();
}

void Path::addPath(const Path& other) {
    elements_.insert(elements_.end(), other.elements_.begin(), other.elements_.end());
    current_ = other.current_;
    start_ = other.start_;
}

Path Path::transformed(const Affine& m) const {
    Path p = *this;
    for (Element& e : p.elements_)
        for (Point& q : e.points) q = m.apply(q);
    p.current_ = m.apply(current_);
    p.start_ = m.apply(start_);
    return p;
}

Rect Path::boundingBox() const {
    bool any = false;
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    auto take = [&](Point q) {
        if (!any) {
            x0 = x1 = q.x, y0 = y1 = q.y, any = true;
            return;
        }
        x0 = std::min(x0, q.x), x1 = std::max(x1, q.x), y0 = std::min(y0, q.y), y1 = std::max(y1, q.y);
    };
    for (const Element& e : elements_) {
        int n = e.op == Op::curve ? 3 : e.op == Op::close ? 0 : 1;
        for (int i = 0; i < n; ++i) take(e.points[i]);
    }
    return any ? Rect{x0, y0, x1 - x0, y1 - y0} : Rect{};
}

}  // namespace anim
