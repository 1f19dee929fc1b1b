#pragma once

#include "anim/Layer.h"
#include "anim/Path.h"

namespace anim {

// Draws a path in its own coordinates: filled (non-zero winding), then stroked centred on the
// outline. A new path shows at once; it is never animated.
class ShapeLayer : public Layer {
public:
    static std::shared_ptr<ShapeLayer> make() { return std::make_shared<ShapeLayer>(); }
    LayerKind kind() const override { return LayerKind::shape; }

    const Path& path() const { return path_; }
    void setPath(Path p);
    // The path's bounding box, kept with the path.
    const Rect& pathBounds() const { return pathBounds_; }
    Color fillColor() const { return model().fillColor; }
    void setFillColor(Color c) { setField(&LayerState::fillColor, c); }
    Color strokeColor() const { return model().strokeColor; }
    void setStrokeColor(Color c) { setField(&LayerState::strokeColor, c); }
    double lineWidth() const { return model().lineWidth; }
    void setLineWidth(double w) { setField(&LayerState::lineWidth, w); }

private:
    Path path_;
    Rect pathBounds_;
};

}  // namespace anim
