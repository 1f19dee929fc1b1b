#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace model::text {

// Text the user typed, made safe and tidy. Each function takes UTF-8 and returns valid UTF-8:
// an ill-formed byte sequence comes back as U+FFFD.

// Without the white space and line breaks at either end: tabs, line and paragraph breaks and
// every Unicode space (the full-width U+3000 and the no-break space included).
std::string trimmingWhitespaceAndNewlines(std::string_view utf8);

// The first `count` user-perceived characters: a letter with its combining marks, an emoji
// with its modifiers and joiners, or a flag each count as one and are never cut apart.
std::string prefixCharacters(std::string_view utf8, size_t count);

// The number of user-perceived characters.
size_t characterCount(std::string_view utf8);

}  // namespace model::text
