#include "anim/ShapeLayer.h"

namespace anim {

void ShapeLayer::setPath(Path p) {
    if (path_ == p) return;
    path_ = std::move(p);
    pathBounds_ = path_.boundingBox();
    contentChanged();
}

}  // namespace anim
