#pragma once

#include <string>

#include "anim/Layer.h"

namespace anim {

enum class FontWeight { regular, medium, semibold, bold };
enum class TextAlignment { natural, left, center, right, justified };

// One line of text in the system font, drawn upright from the top of the bounds.
class TextLayer : public Layer {
public:
    static std::shared_ptr<TextLayer> make() { return std::make_shared<TextLayer>(); }
    LayerKind kind() const override { return LayerKind::text; }

    // UTF-8.
    const std::string& string() const { return string_; }
    void setString(std::string s);
    // Points.
    double fontSize() const { return fontSize_; }
    void setFontSize(double size);
    FontWeight fontWeight() const { return fontWeight_; }
    void setFontWeight(FontWeight w);
    // Digits of equal width, so a changing number does not jitter.
    bool monospacedDigits() const { return monospacedDigits_; }
    void setMonospacedDigits(bool on);
    TextAlignment alignment() const { return alignment_; }
    void setAlignment(TextAlignment a);
    Color foregroundColor() const { return foregroundColor_; }
    void setForegroundColor(Color c);

private:
    std::string string_;
    double fontSize_ = 36;
    FontWeight fontWeight_ = FontWeight::regular;
    bool monospacedDigits_ = false;
    TextAlignment alignment_ = TextAlignment::natural;
    Color foregroundColor_ = Color::white(1);
};

}  // namespace anim
