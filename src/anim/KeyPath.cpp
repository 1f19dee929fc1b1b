#include "anim/KeyPath.h"

#include <array>
#include <string_view>

namespace anim {
namespace {

using P = KeyPath::Property;
using Part = KeyPath::Part;

struct Known {
    std::string_view name;
    P property;
    Part part;
};

constexpr std::array known{
    Known{"opacity", P::opacity, Part::whole},
    Known{"position", P::position, Part::whole},
    Known{"position.x", P::position, Part::x},
    Known{"position.y", P::position, Part::y},
    Known{"bounds", P::bounds, Part::whole},
    Known{"bounds.origin", P::bounds, Part::origin},
    Known{"bounds.size", P::bounds, Part::size},
    Known{"bounds.size.width", P::bounds, Part::width},
    Known{"bounds.size.height", P::bounds, Part::height},
    Known{"anchorPoint", P::anchorPoint, Part::whole},
    Known{"transform", P::transform, Part::whole},
    Known{"transform.scale", P::transform, Part::scale},
    Known{"transform.scale.x", P::transform, Part::scaleX},
    Known{"transform.scale.y", P::transform, Part::scaleY},
    Known{"transform.translation", P::transform, Part::translation},
    Known{"transform.translation.x", P::transform, Part::translationX},
    Known{"transform.translation.y", P::transform, Part::translationY},
    Known{"transform.rotation", P::transform, Part::rotation},
    Known{"transform.rotation.z", P::transform, Part::rotation},
    Known{"backgroundColor", P::backgroundColor, Part::whole},
    Known{"shadowColor", P::shadowColor, Part::whole},
    Known{"shadowOpacity", P::shadowOpacity, Part::whole},
    Known{"shadowRadius", P::shadowRadius, Part::whole},
    Known{"shadowOffset", P::shadowOffset, Part::whole},
    Known{"fillColor", P::fillColor, Part::whole},
    Known{"strokeColor", P::strokeColor, Part::whole},
    Known{"lineWidth", P::lineWidth, Part::whole},
};

// The kind of value a path holds: 0 double, 1 Point, 2 Size, 3 Rect, 4 Transform, 5 Color.
size_t kindOf(P p, Part part) {
    switch (part) {
        case Part::x:
        case Part::y:
        case Part::width:
        case Part::height:
        case Part::scale:
        case Part::scaleX:
        case Part::scaleY:
        case Part::translationX:
        case Part::translationY:
        case Part::rotation:
            return 0;
        case Part::origin:
        case Part::translation:
            return 1;
        case Part::size:
            return 2;
        case Part::whole:
            break;
    }
    switch (p) {
        case P::opacity:
        case P::shadowOpacity:
        case P::shadowRadius:
        case P::lineWidth:
            return 0;
        case P::position:
        case P::anchorPoint:
            return 1;
        case P::shadowOffset:
            return 2;
        case P::bounds:
            return 3;
        case P::transform:
            return 4;
        case P::backgroundColor:
        case P::shadowColor:
        case P::fillColor:
        case P::strokeColor:
            return 5;
    }
    return 0;
}

}  // namespace

std::optional<KeyPath> KeyPath::parse(std::string_view path) {
    for (const Known& k : known)
        if (k.name == path) return KeyPath(k.property, k.part);
    return std::nullopt;
}

Value KeyPath::read(const LayerState& s) const {
    switch (property_) {
        case P::opacity:
            return s.opacity;
        case P::position:
            if (part_ == Part::x) return s.position.x;
            if (part_ == Part::y) return s.position.y;
            return s.position;
        case P::bounds:
            switch (part_) {
                case Part::origin:
                    return s.bounds.origin;
                case Part::size:
                    return s.bounds.size;
                case Part::width:
                    return s.bounds.size.width;
                case Part::height:
                    return s.bounds.size.height;
                default:
                    return s.bounds;
            }
        case P::anchorPoint:
            return s.anchorPoint;
        case P::transform:
            switch (part_) {
                case Part::scale:
                case Part::scaleX:
                    return s.transform.sx;
                case Part::scaleY:
                    return s.transform.sy;
                case Part::translation:
                    return Point{s.transform.tx, s.transform.ty};
                case Part::translationX:
                    return s.transform.tx;
                case Part::translationY:
                    return s.transform.ty;
                case Part::rotation:
                    return s.transform.rotation;
                default:
                    return s.transform;
            }
        case P::backgroundColor:
            return s.backgroundColor;
        case P::shadowColor:
            return s.shadowColor;
        case P::shadowOpacity:
            return s.shadowOpacity;
        case P::shadowRadius:
            return s.shadowRadius;
        case P::shadowOffset:
            return s.shadowOffset;
        case P::fillColor:
            return s.fillColor;
        case P::strokeColor:
            return s.strokeColor;
        case P::lineWidth:
            return s.lineWidth;
    }
    return 0.0;
}

void KeyPath::write(LayerState& s, const Value& v) const {
    if (v.index() != kindOf(property_, part_)) return;
    const double* d = std::get_if<double>(&v);
    switch (property_) {
        case P::opacity:
            s.opacity = *d;
            return;
        case P::position:
            if (part_ == Part::x)
                s.position.x = *d;
            else if (part_ == Part::y)
                s.position.y = *d;
            else
                s.position = std::get<Point>(v);
            return;
        case P::bounds:
            switch (part_) {
                case Part::origin:
                    s.bounds.origin = std::get<Point>(v);
                    return;
                case Part::size:
                    s.bounds.size = std::get<Size>(v);
                    return;
                case Part::width:
                    s.bounds.size.width = *d;
                    return;
                case Part::height:
                    s.bounds.size.height = *d;
                    return;
                default:
                    s.bounds = std::get<Rect>(v);
                    return;
            }
        case P::anchorPoint:
            s.anchorPoint = std::get<Point>(v);
            return;
        case P::transform:
            switch (part_) {
                case Part::scale:
                    s.transform.sx = s.transform.sy = *d;
                    return;
                case Part::scaleX:
                    s.transform.sx = *d;
                    return;
                case Part::scaleY:
                    s.transform.sy = *d;
                    return;
                case Part::translation: {
                    Point p = std::get<Point>(v);
                    s.transform.tx = p.x, s.transform.ty = p.y;
                    return;
                }
                case Part::translationX:
                    s.transform.tx = *d;
                    return;
                case Part::translationY:
                    s.transform.ty = *d;
                    return;
                case Part::rotation:
                    s.transform.rotation = *d;
                    return;
                default:
                    s.transform = std::get<Transform>(v);
                    return;
            }
        case P::backgroundColor:
            s.backgroundColor = std::get<Color>(v);
            return;
        case P::shadowColor:
            s.shadowColor = std::get<Color>(v);
            return;
        case P::shadowOpacity:
            s.shadowOpacity = *d;
            return;
        case P::shadowRadius:
            s.shadowRadius = *d;
            return;
        case P::shadowOffset:
            s.shadowOffset = std::get<Size>(v);
            return;
        case P::fillColor:
            s.fillColor = std::get<Color>(v);
            return;
        case P::strokeColor:
            s.strokeColor = std::get<Color>(v);
            return;
        case P::lineWidth:
            s.lineWidth = *d;
            return;
    }
}

std::optional<Value> KeyPath::normalized(const Value& v) const {
    size_t want = kindOf(property_, part_);
    if (v.index() == want) return v;
    if (want == 1 && std::holds_alternative<Size>(v)) return Point{std::get<Size>(v).width, std::get<Size>(v).height};
    if (want == 2 && std::holds_alternative<Point>(v)) return Size{std::get<Point>(v).x, std::get<Point>(v).y};
    return std::nullopt;
}

}  // namespace anim
