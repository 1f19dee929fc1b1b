#include "updates/UpdateVerification.h"

#include <sodium.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>

namespace updates {

std::optional<UpdateFailure> verifyDownload(const std::filesystem::path& file, const UpdateManifest& manifest) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error || manifest.size < 0 || size != static_cast<uintmax_t>(manifest.size)) return UpdateFailure::download;
    if (sodium_init() < 0) return UpdateFailure::download;

    std::ifstream in(file, std::ios::binary);
    if (!in) return UpdateFailure::download;
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    std::array<char, 64 * 1024> buffer;
    while (in) {
        in.read(buffer.data(), buffer.size());
        const auto n = in.gcount();
        if (n > 0)
            crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char*>(buffer.data()),
                                      static_cast<unsigned long long>(n));
    }
    if (in.bad()) return UpdateFailure::download;
    std::array<unsigned char, crypto_hash_sha256_BYTES> digest;
    crypto_hash_sha256_final(&state, digest.data());

    std::string hex;
    for (unsigned char byte : digest) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    std::string expected;
    for (char c : manifest.sha256) expected += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (hex != expected) return UpdateFailure::download;
    return std::nullopt;
}

}  // namespace updates
