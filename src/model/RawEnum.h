#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace model {

// Each enumeration lists its cases once, in declaration order, by specialising this.
template <typename E>
struct EnumCases;

template <typename E>
inline constexpr const auto& allCases = EnumCases<E>::values;

// The case whose raw value is `raw`; nullopt for any other text (matching is exact).
// Needs a `rawValue(E)` overload returning a string.
template <typename E>
std::optional<E> fromRaw(std::string_view raw) {
    for (E e : allCases<E>)
        if (std::string_view(rawValue(e)) == raw) return e;
    return std::nullopt;
}

// The same for enumerations with integer raw values (the enum's underlying values).
template <typename E>
std::optional<E> fromRaw(int64_t raw) {
    for (E e : allCases<E>)
        if (static_cast<int64_t>(e) == raw) return e;
    return std::nullopt;
}

}  // namespace model
