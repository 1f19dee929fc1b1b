#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace model {

// The short text on the sign a pet holds up: "9999", "12.3K", "123K", "2.5M" or "1.2万", "12万".
struct PetCountSign {
    // In the current interface language.
    static std::string label(int64_t count);
    // In `language` ("zh-Hans" counts in 万, any other language in K and M).
    static std::string labelInLanguage(int64_t count, std::string_view language);
};

}  // namespace model
