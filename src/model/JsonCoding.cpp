#include "model/JsonCoding.h"

#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

namespace model::coding {
namespace {

bool allNumbersFinite(const Json& j) {
    if (j.is_number_float()) return std::isfinite(j.get<double>());
    if (j.is_structured())
        for (const auto& item : j)
            if (!allNumbersFinite(item)) return false;
    return true;
}

}  // namespace

std::optional<double> number(const Json& j) {
    if (!j.is_number()) return std::nullopt;
    return j.get<double>();
}

std::optional<int64_t> integer(const Json& j) {
    if (j.is_number_unsigned()) {
        auto u = j.get<uint64_t>();
        if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
        return static_cast<int64_t>(u);
    }
    if (j.is_number_integer()) return j.get<int64_t>();
    if (j.is_number_float()) {
        double d = j.get<double>();
        // 2^63 itself is out of range; everything below it converts exactly when integral.
        if (!std::isfinite(d) || d != std::trunc(d) || d < -9223372036854775808.0 || d >= 9223372036854775808.0)
            return std::nullopt;
        return static_cast<int64_t>(d);
    }
    return std::nullopt;
}

std::optional<double> doubleMember(const Json& object, std::string_view key) {
    if (!object.is_object()) return std::nullopt;
    auto it = object.find(key);
    if (it == object.end()) return std::nullopt;
    return number(*it);
}

std::optional<int64_t> integerMember(const Json& object, std::string_view key) {
    if (!object.is_object()) return std::nullopt;
    auto it = object.find(key);
    if (it == object.end()) return std::nullopt;
    return integer(*it);
}

std::optional<platform::Data> encode(const Json& value) {
    if (!allNumbersFinite(value)) return std::nullopt;
    try {
        const std::string text = value.dump();
        return platform::Data(text.begin(), text.end());
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

std::optional<Json> decode(const platform::Data& data) {
    Json j = Json::parse(data.begin(), data.end(), nullptr, /*allow_exceptions=*/false);
    if (j.is_discarded()) return std::nullopt;
    return j;
}

}  // namespace model::coding
