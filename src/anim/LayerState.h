#pragma once

#include "anim/Color.h"
#include "anim/Transform.h"

namespace anim {

// Every animatable property of a layer. A layer keeps one as its model; presentation(t) returns
// another with the animations running at t applied. The shape properties mean something only
// on a shape layer.
struct LayerState {
    Point position{};
    Rect bounds{};
    Point anchorPoint{0.5, 0.5};
    Transform transform{};
    double opacity = 1;
    bool hidden = false;
    Color backgroundColor = Color::clear();
    Color shadowColor = Color::black();
    double shadowOpacity = 0;
    double shadowRadius = 3;
    Size shadowOffset{0, -3};
    Color fillColor = Color::black();
    Color strokeColor = Color::clear();
    double lineWidth = 1;

    // The anchor point in the layer's own coordinates.
    Point anchorInBounds() const {
        return {bounds.origin.x + anchorPoint.x * bounds.size.width,
                bounds.origin.y + anchorPoint.y * bounds.size.height};
    }
    // Maps the layer's own coordinates into its superlayer's: the anchor point goes to
    // `position`, with the transform applied about it.
    Affine toSuperlayer() const {
        Point a = anchorInBounds();
        Affine m = transform.affine();
        m.tx += position.x - a.x * m.a - a.y * m.c;
        m.ty += position.y - a.x * m.b - a.y * m.d;
        return m;
    }

    friend bool operator==(const LayerState&, const LayerState&) = default;
};

}  // namespace anim
