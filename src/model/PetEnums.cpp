#include "model/PetEnums.h"

#include <algorithm>

namespace model {

std::string title(PetActivity v) {
    return L10n::t(enumRow(v).title);
}

std::string title(PetLifeScene v) {
    return L10n::t(enumRow(v).title);
}

std::string title(KeyboardReactionStyle v) {
    return L10n::t(enumRow(v).title);
}

const KeyboardReactionSet& keyboardReactionDefaults() {
    static const KeyboardReactionSet defaults{KeyboardReactionStyle::bounce, KeyboardReactionStyle::paws,
                                              KeyboardReactionStyle::fluff, KeyboardReactionStyle::showCount};
    return defaults;
}

std::vector<std::string> sortedRawValues(const KeyboardReactionSet& styles) {
    std::vector<std::string> out;
    out.reserve(styles.size());
    for (auto s : styles) out.emplace_back(rawValue(s));
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace model
