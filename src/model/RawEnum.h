#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

namespace model {

// Each enumeration lists its cases once, in declaration order, by specialising this.
template <typename E>
struct EnumCases;

// One case of an enumeration's table: the case, its stored text, and its title key and
// symbol name where the enumeration has them.
template <typename E>
struct EnumRow {
    E value;
    std::string_view raw{};
    std::string_view title{};
    std::string_view symbol{};
};

// An enumeration described by a table specialises this with `static constexpr EnumRow<E>
// rows[]` in declaration order; its cases, raw values and titles then all come from there.
template <typename E>
struct EnumTable;

template <typename E>
concept TabledEnum = requires {
    EnumTable<E>::rows;
};

template <TabledEnum E>
struct EnumCases<E> {
    static_assert(
        [] {
            for (std::size_t i = 0; i < std::size(EnumTable<E>::rows); ++i)
                if (EnumTable<E>::rows[i].value != static_cast<E>(i)) return false;
            return true;
        }(),
        "the rows follow the declaration");
    static constexpr auto values = [] {
        std::array<E, std::size(EnumTable<E>::rows)> out{};
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = EnumTable<E>::rows[i].value;
        return out;
    }();
};

template <typename E>
inline constexpr const auto& allCases = EnumCases<E>::values;

template <typename E>
inline constexpr EnumRow<E> noEnumRow{};

// The row of `v`; an empty row for a value that names no case.
template <TabledEnum E>
constexpr const EnumRow<E>& enumRow(E v) {
    for (const auto& row : EnumTable<E>::rows)
        if (row.value == v) return row;
    return noEnumRow<E>;
}

template <TabledEnum E>
requires(!EnumTable<E>::rows[0].raw.empty()) constexpr std::string_view rawValue(E v) {
    return enumRow(v).raw;
}

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
