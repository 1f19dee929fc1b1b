#include "anim/KeyPath.h"

#include <array>
#include <string_view>
#include <type_traits>
#include <utility>

namespace anim {
namespace {

using P = KeyPath::Property;
using Part = KeyPath::Part;

// A known path: its name, what it addresses, the kind of value it holds (the alternative's
// index in Value) and how that value is read from and written into a layer state.
struct Known {
    std::string_view name;
    P property;
    Part part;
    size_t kind;
    Value (*read)(const LayerState&);
    // Called only with a value of the path's kind.
    void (*write)(LayerState&, const Value&);
};

template <typename T, size_t I = 0>
constexpr size_t kindOf() {
    if constexpr (std::is_same_v<std::variant_alternative_t<I, Value>, T>)
        return I;
    else
        return kindOf<T, I + 1>();
}

// The member reached through a chain of member pointers.
template <auto M, auto... Ms, typename S>
constexpr auto& member(S& s) {
    if constexpr (sizeof...(Ms) == 0)
        return s.*M;
    else
        return member<Ms...>(s.*M);
}

// A path that addresses one member of the layer state directly.
template <auto... Ms>
constexpr Known field(std::string_view name, P property, Part part) {
    using T = std::remove_cvref_t<decltype(member<Ms...>(std::declval<LayerState&>()))>;
    return {name,
            property,
            part,
            kindOf<T>(),
            [](const LayerState& s) -> Value { return member<Ms...>(s); },
            [](LayerState& s, const Value& v) { member<Ms...>(s) = std::get<T>(v); }};
}

constexpr std::array known{
    field<&LayerState::opacity>("opacity", P::opacity, Part::whole),
    field<&LayerState::position>("position", P::position, Part::whole),
    field<&LayerState::position, &Point::x>("position.x", P::position, Part::x),
    field<&LayerState::position, &Point::y>("position.y", P::position, Part::y),
    field<&LayerState::bounds>("bounds", P::bounds, Part::whole),
    field<&LayerState::bounds, &Rect::origin>("bounds.origin", P::bounds, Part::origin),
    field<&LayerState::bounds, &Rect::size>("bounds.size", P::bounds, Part::size),
    field<&LayerState::bounds, &Rect::size, &Size::width>("bounds.size.width", P::bounds, Part::width),
    field<&LayerState::bounds, &Rect::size, &Size::height>("bounds.size.height", P::bounds, Part::height),
    field<&LayerState::anchorPoint>("anchorPoint", P::anchorPoint, Part::whole),
    field<&LayerState::transform>("transform", P::transform, Part::whole),
    // A uniform scale reads as its x scale and sets both.
    Known{"transform.scale", P::transform, Part::scale, kindOf<double>(),
          [](const LayerState& s) -> Value { return s.transform.sx; },
          [](LayerState& s, const Value& v) { s.transform.sx = s.transform.sy = std::get<double>(v); }},
    field<&LayerState::transform, &Transform::sx>("transform.scale.x", P::transform, Part::scaleX),
    field<&LayerState::transform, &Transform::sy>("transform.scale.y", P::transform, Part::scaleY),
    Known{"transform.translation", P::transform, Part::translation, kindOf<Point>(),
          [](const LayerState& s) -> Value {
              return Point{s.transform.tx, s.transform.ty};
          },
          [](LayerState& s, const Value& v) {
              const Point p = std::get<Point>(v);
              s.transform.tx = p.x, s.transform.ty = p.y;
          }},
    field<&LayerState::transform, &Transform::tx>("transform.translation.x", P::transform, Part::translationX),
    field<&LayerState::transform, &Transform::ty>("transform.translation.y", P::transform, Part::translationY),
    field<&LayerState::transform, &Transform::rotation>("transform.rotation", P::transform, Part::rotation),
    field<&LayerState::transform, &Transform::rotation>("transform.rotation.z", P::transform, Part::rotation),
    field<&LayerState::backgroundColor>("backgroundColor", P::backgroundColor, Part::whole),
    field<&LayerState::shadowColor>("shadowColor", P::shadowColor, Part::whole),
    field<&LayerState::shadowOpacity>("shadowOpacity", P::shadowOpacity, Part::whole),
    field<&LayerState::shadowRadius>("shadowRadius", P::shadowRadius, Part::whole),
    field<&LayerState::shadowOffset>("shadowOffset", P::shadowOffset, Part::whole),
    field<&LayerState::fillColor>("fillColor", P::fillColor, Part::whole),
    field<&LayerState::strokeColor>("strokeColor", P::strokeColor, Part::whole),
    field<&LayerState::lineWidth>("lineWidth", P::lineWidth, Part::whole),
};

}  // namespace

// The first row of a property and part, so two names of one path give equal paths.
KeyPath::KeyPath(Property p, Part part) : property_(p), part_(part) {
    for (size_t i = 0; i < known.size(); ++i)
        if (known[i].property == p && known[i].part == part) {
            row_ = static_cast<uint8_t>(i);
            return;
        }
}

std::optional<KeyPath> KeyPath::parse(std::string_view path) {
    for (const Known& k : known)
        if (k.name == path) return KeyPath(k.property, k.part);
    return std::nullopt;
}

Value KeyPath::read(const LayerState& s) const {
    return known[row_].read(s);
}

void KeyPath::write(LayerState& s, const Value& v) const {
    if (v.index() == known[row_].kind) known[row_].write(s, v);
}

std::optional<Value> KeyPath::normalized(const Value& v) const {
    const size_t want = known[row_].kind;
    if (v.index() == want) return v;
    if (want == kindOf<Point>() && std::holds_alternative<Size>(v))
        return Point{std::get<Size>(v).width, std::get<Size>(v).height};
    if (want == kindOf<Size>() && std::holds_alternative<Point>(v))
        return Size{std::get<Point>(v).x, std::get<Point>(v).y};
    return std::nullopt;
}

}  // namespace anim
