#include "model/PetCountSign.h"

#include <algorithm>
#include <charconv>

#include "model/L10n.h"

namespace model {

namespace {

// One decimal, always with a point: the process locale must not turn it into a comma.
std::string oneDecimal(double value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

// Just below the next step, rounding would show "100.0K" or "10.0万": a count the user has not
// reached, in a form no other count takes. Such counts keep the highest one-decimal value instead.
std::string oneDecimalBelow(double value, std::string_view ceiling, std::string_view highest) {
    std::string text = oneDecimal(value);
    return text == ceiling ? std::string(highest) : text;
}

}  // namespace

std::string PetCountSign::label(int64_t count) {
    return labelInLanguage(count, L10n::language());
}

std::string PetCountSign::labelInLanguage(int64_t count, std::string_view language) {
    const int64_t n = std::max<int64_t>(count, 0);
    if (n <= 9999) return std::to_string(n);
    if (language == "zh-Hans") {
        if (n < 100000) return oneDecimalBelow(static_cast<double>(n) / 10000.0, "10.0", "9.9") + "万";
        return std::to_string(n / 10000) + "万";
    }
    if (n < 100000) return oneDecimalBelow(static_cast<double>(n) / 1000.0, "100.0", "99.9") + "K";
    if (n < 1000000) return std::to_string(n / 1000) + "K";
    return oneDecimal(static_cast<double>(n) / 1000000.0) + "M";
}

}  // namespace model
