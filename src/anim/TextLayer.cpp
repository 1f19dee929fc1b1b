#include "anim/TextLayer.h"

namespace anim {
namespace {

template <typename T>
bool assign(T& field, T value) {
    if (field == value) return false;
    field = std::move(value);
    return true;
}

}  // namespace

void TextLayer::setString(std::string s) {
    if (assign(string_, std::move(s))) contentChanged();
}

void TextLayer::setFontSize(double size) {
    if (assign(fontSize_, size)) contentChanged();
}

void TextLayer::setFontWeight(FontWeight w) {
    if (assign(fontWeight_, w)) contentChanged();
}

void TextLayer::setMonospacedDigits(bool on) {
    if (assign(monospacedDigits_, on)) contentChanged();
}

void TextLayer::setAlignment(TextAlignment a) {
    if (assign(alignment_, a)) contentChanged();
}

void TextLayer::setForegroundColor(Color c) {
    if (assign(foregroundColor_, c)) contentChanged();
}

}  // namespace anim
