#pragma once

#include <vector>

#include "anim/Transform.h"

namespace anim {

// A vector outline of straight and cubic segments, in the coordinates of the layer that draws it
// (y up). Filled with the non-zero winding rule.
class Path {
public:
    enum class Op { move, line, curve, close };
    struct Element {
        Op op;
        Point points[3];  // move/line: [0]; curve: control 1, control 2, end; close: none
        friend bool operator==(const Element&, const Element&) = default;
    };

    static Path ellipse(const Rect& r);
    static Path rect(const Rect& r);
    static Path roundedRect(const Rect& r, double cornerWidth, double cornerHeight);
    // A closed polygon through the points.
    static Path polygon(const std::vector<Point>& points);

    void moveTo(Point p);
    void lineTo(Point p);
    void curveTo(Point control1, Point control2, Point end);
    void quadTo(Point control, Point end);
    void closeSubpath();
    // Each shape starts a closed subpath of its own; an ellipse runs counter-clockwise from its
    // rightmost point.
    void addEllipse(const Rect& r);
    void addRect(const Rect& r);
    void addRoundedRect(const Rect& r, double cornerWidth, double cornerHeight);
    void addPath(const Path& other);

    Path transformed(const Affine& m) const;
    // The box around every point and control point (a curve never leaves it).
    Rect boundingBox() const;
    bool isEmpty() const { return elements_.empty(); }
    const std::vector<Element>& elements() const { return elements_; }

    friend bool operator==(const Path&, const Path&) = default;

private:
    std::vector<Element> elements_;
    Point current_{};
    Point start_{};
};

}  // namespace anim
