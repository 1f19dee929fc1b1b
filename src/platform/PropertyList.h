#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/Date.h"

namespace platform {

using Data = std::vector<uint8_t>;

// One typed property-list value: bool, integer, real, string, data, date, array or dictionary.
struct PlistValue {
    using Array = std::vector<PlistValue>;
    using Dictionary = std::map<std::string, PlistValue>;
    using Storage = std::variant<bool, int64_t, double, std::string, Data, Date, Array, Dictionary>;

    Storage storage;

    PlistValue() : storage(false) {}
    PlistValue(bool v) : storage(v) {}
    PlistValue(int v) : storage(int64_t{v}) {}
    PlistValue(int64_t v) : storage(v) {}
    PlistValue(double v) : storage(v) {}
    PlistValue(const char* v) : storage(std::string(v)) {}
    PlistValue(std::string v) : storage(std::move(v)) {}
    PlistValue(Data v) : storage(std::move(v)) {}
    PlistValue(Date v) : storage(v) {}
    PlistValue(Array v) : storage(std::move(v)) {}
    PlistValue(Dictionary v) : storage(std::move(v)) {}

    template <typename T>
    bool is() const {
        return std::holds_alternative<T>(storage);
    }
    template <typename T>
    const T* getIf() const {
        return std::get_if<T>(&storage);
    }

    friend bool operator==(const PlistValue&, const PlistValue&) = default;
};

}  // namespace platform
