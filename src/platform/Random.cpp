#include "platform/Random.h"

#include <cstdio>

namespace platform {

std::string Uuid::string() const {
    char buf[37];
    const auto& b = bytes;
    std::snprintf(buf, sizeof buf, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0], b[1],
                  b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return buf;
}

Uuid RandomUuidSource::next() {
    Uuid u;
    for (int i = 0; i < 2; ++i) {
        uint64_t v = engine_();
        for (int j = 0; j < 8; ++j) u.bytes[i * 8 + j] = static_cast<uint8_t>(v >> (j * 8));
    }
    u.bytes[6] = static_cast<uint8_t>((u.bytes[6] & 0x0F) | 0x40);
    u.bytes[8] = static_cast<uint8_t>((u.bytes[8] & 0x3F) | 0x80);
    return u;
}

Uuid SequentialUuidSource::next() {
    Uuid u;
    uint64_t v = ++counter_;
    for (int j = 0; j < 8; ++j) u.bytes[15 - j] = static_cast<uint8_t>(v >> (j * 8));
    return u;
}

}  // namespace platform
