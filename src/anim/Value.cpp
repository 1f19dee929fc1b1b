#include "anim/Value.h"

namespace anim {
namespace {

// Applies `op` to matching doubles of two values of the same kind; `scaleOp` to transform scales.
template <typename Op, typename ScaleOp>
Value combine(const Value& a, const Value& b, Op op, ScaleOp scaleOp) {
    if (a.index() != b.index()) return a;
    return std::visit(
        [&](const auto& x) -> Value {
            using T = std::decay_t<decltype(x)>;
            const T& y = std::get<T>(b);
            if constexpr (std::is_same_v<T, double>) {
                return op(x, y);
            } else if constexpr (std::is_same_v<T, Point>) {
                return Point{op(x.x, y.x), op(x.y, y.y)};
            } else if constexpr (std::is_same_v<T, Size>) {
                return Size{op(x.width, y.width), op(x.height, y.height)};
            } else if constexpr (std::is_same_v<T, Rect>) {
                return Rect{op(x.origin.x, y.origin.x), op(x.origin.y, y.origin.y), op(x.size.width, y.size.width),
                            op(x.size.height, y.size.height)};
            } else if constexpr (std::is_same_v<T, Transform>) {
                return Transform{op(x.tx, y.tx), op(x.ty, y.ty), op(x.rotation, y.rotation), scaleOp(x.sx, y.sx),
                                 scaleOp(x.sy, y.sy)};
            } else {
                return Color{op(x.red, y.red), op(x.green, y.green), op(x.blue, y.blue), op(x.alpha, y.alpha)};
            }
        },
        a);
}

}  // namespace

Value interpolate(const Value& a, const Value& b, double f) {
    auto mix = [f](double x, double y) { return x + (y - x) * f; };
    return combine(a, b, mix, mix);
}

Value accumulate(const Value& base, const Value& delta) {
    return combine(
        base, delta, [](double x, double y) { return x + y; }, [](double x, double y) { return x * y; });
}

Value sum(const Value& a, const Value& b) {
    auto add = [](double x, double y) { return x + y; };
    return combine(a, b, add, add);
}

Value difference(const Value& a, const Value& b) {
    auto sub = [](double x, double y) { return x - y; };
    return combine(a, b, sub, sub);
}

}  // namespace anim
