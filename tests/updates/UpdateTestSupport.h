#pragma once

#include <sodium.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "updates/UpdateChecker.h"

namespace updates::testing {

inline std::string base64(std::string_view bytes) {
    std::string out(sodium_base64_encoded_len(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(out.data(), out.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                      sodium_base64_VARIANT_ORIGINAL);
    out.pop_back();
    return out;
}

// A throwaway feed key.
struct FeedSigner {
    std::vector<unsigned char> publicKey = std::vector<unsigned char>(crypto_sign_PUBLICKEYBYTES);
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    FeedSigner() { crypto_sign_keypair(publicKey.data(), secretKey); }
    std::string feed(const nlohmann::json& manifest) const {
        const std::string payload = manifest.dump();
        unsigned char sig[crypto_sign_BYTES];
        crypto_sign_detached(sig, nullptr, reinterpret_cast<const unsigned char*>(payload.data()), payload.size(),
                             secretKey);
        return nlohmann::json{{"payload", base64(payload)}, {"signature", base64({(char*)sig, sizeof sig})}}.dump();
    }
};

// A manifest that passes every rule, for `image` at `origin`.
inline nlohmann::json manifestJson(std::string_view image, const std::string& origin = "https://github.com") {
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(image.data()), image.size());
    return {{"schemaVersion", 1}, {"product", "com.brontel.tuftle"}, {"version", "1.2.0"}, {"build", 5},
            {"minimumSystemVersion", "2.31"}, {"downloadURL", origin + "/o/r/releases/download/v1/t.AppImage"},
            {"sha256", hexString(digest, sizeof digest)}, {"size", image.size()}, {"notesZH", "修复"},
            {"notesEN", "Fixes"}, {"architectures", {"x86_64", "arm64"}}};
}

}  // namespace updates::testing
