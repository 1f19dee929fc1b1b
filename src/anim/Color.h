#pragma once

namespace anim {

// A colour in device RGB with straight (not premultiplied) alpha, every channel in 0...1.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;

    static constexpr Color rgb(double r, double g, double b, double a = 1) { return {r, g, b, a}; }
    static constexpr Color white(double w, double a = 1) { return {w, w, w, a}; }
    static constexpr Color black() { return {0, 0, 0, 1}; }
    static constexpr Color clear() { return {}; }

    constexpr Color withAlpha(double a) const { return {red, green, blue, a}; }
    constexpr bool isClear() const { return alpha <= 0; }

    friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace anim
