#include "platform/Reason.h"

#include <cstring>
#include <ostream>

namespace platform {

Reason::Reason(Template text, std::initializer_list<Part> parts) : kind_(Kind::sentence), text_(text.text) {
    for (const auto& part : parts) parts_.push_back(part.reason);
}

Reason::Part::Part(std::string value) {
    reason.kind_ = Kind::value;
    reason.text_ = std::move(value);
}

Reason Reason::failed(Part what, int error) {
    return Reason("{0} ({1})", {std::move(what), std::string(std::strerror(error))});
}

std::string Reason::english() const {
    return worded([](std::string_view text) { return std::string(text); });
}

std::string Reason::worded(const std::function<std::string(std::string_view)>& translate) const {
    if (kind_ != Kind::sentence) return text_;
    const std::string text = translate(text_);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = i + 2 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9';
        const size_t place =
            digit && text[i] == '{' && text[i + 2] == '}' ? static_cast<size_t>(text[i + 1] - '0') : parts_.size();
        // A place without a part, or a brace of the text's own, stays as written.
        if (place >= parts_.size()) {
            out.push_back(text[i]);
            continue;
        }
        out += parts_[place].worded(translate);
        i += 2;
    }
    return out;
}

std::ostream& operator<<(std::ostream& out, const Reason& reason) {
    return out << reason.english();
}

}  // namespace platform
