#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "platform/PropertyList.h"

namespace model {

// The JSON value type of the records: objects keep their members in insertion order, so
// a record encodes its keys in the order it lists them.
using Json = nlohmann::ordered_json;

// Strict typed reads for decoding records: a member of another JSON type is no value.
namespace coding {

// Any JSON number (integers are usable reals). Booleans are not numbers.
std::optional<double> number(const Json& j);
// An integral number that fits in 64 bits (1.0 counts, 1.5 does not).
std::optional<int64_t> integer(const Json& j);

std::optional<double> doubleMember(const Json& object, std::string_view key);
std::optional<int64_t> integerMember(const Json& object, std::string_view key);

// The compact UTF-8 text of a value, as stored in the defaults. nullopt when the value
// cannot be encoded (a number that is not finite, text that is not UTF-8).
std::optional<platform::Data> encode(const Json& value);
// nullopt for anything that is not one well-formed JSON document, or one nested more than 32
// levels deep. Reads in time linear in the text.
std::optional<Json> decode(const platform::Data& data);

}  // namespace coding
}  // namespace model
