#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The lower-case hexadecimal form of bytes.
std::string hexString(const unsigned char* bytes, size_t count);

}  // namespace platform
