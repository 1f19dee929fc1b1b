#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/PropertyList.h"

namespace platform::plistxml {

// Deeper nesting than this is no settings file: it is refused before it can exhaust the stack.
inline constexpr int maxDepth = 32;

// The dictionary at the root of an XML property list, read in one pass, in time linear in the
// text. nullopt for anything that is not a sound property list holding a dictionary: a
// malformed number, date or base64 text, a key without a value, a repeated key, a NUL
// character, nesting deeper than maxDepth. A Date is kept as {"$date": <real seconds since
// 2001>}, since <date> holds whole seconds only; <date> elements are read too.
std::optional<PlistValue::Dictionary> parse(std::string_view xml);

// The XML property list of `values`, in time linear in their size.
std::string serialize(const PlistValue::Dictionary& values);

}  // namespace platform::plistxml
