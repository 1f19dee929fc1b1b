#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "anim/LayerState.h"
#include "anim/Value.h"

namespace anim {

// A parsed animation key path: the property and which part of it ("transform.scale.x" is the
// x scale of the transform). Known paths:
//   "opacity", "position" (.x .y), "bounds" (.origin .size .size.width .size.height), "anchorPoint",
//   "transform" (.scale .scale.x .scale.y .translation .translation.x .translation.y .rotation
//   .rotation.z), "backgroundColor", "shadowColor", "shadowOpacity", "shadowRadius",
//   "shadowOffset", "fillColor", "strokeColor", "lineWidth".
class KeyPath {
public:
    enum class Property : uint8_t {
        opacity,
        position,
        bounds,
        anchorPoint,
        transform,
        backgroundColor,
        shadowColor,
        shadowOpacity,
        shadowRadius,
        shadowOffset,
        fillColor,
        strokeColor,
        lineWidth
    };
    enum class Part : uint8_t {
        whole,
        x,
        y,
        origin,
        size,
        width,
        height,
        scale,
        scaleX,
        scaleY,
        translation,
        translationX,
        translationY,
        rotation
    };

    static std::optional<KeyPath> parse(std::string_view path);
    static KeyPath of(Property p) { return KeyPath(p, Part::whole); }

    Property property() const { return property_; }
    Part part() const { return part_; }

    Value read(const LayerState& s) const;
    // Writes `v` into the addressed part; a value of the wrong kind is ignored.
    void write(LayerState& s, const Value& v) const;
    // The value in the kind this path holds (a translation given as a Size becomes a Point), or
    // nothing when it cannot be.
    std::optional<Value> normalized(const Value& v) const;

    friend bool operator==(const KeyPath&, const KeyPath&) = default;

private:
    KeyPath(Property p, Part part);
    Property property_;
    Part part_;
    uint8_t row_ = 0;  // in the table of known paths
};

}  // namespace anim
