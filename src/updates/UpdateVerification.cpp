#include <sodium.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <optional>
#include <vector>

#include "platform/storage/RegularFile.h"
#include "updates/UpdateChecker.h"

namespace updates {
namespace {

// The SHA-256 of the open file `fd` read to its end, or nothing when more than `limit` bytes
// come or a read fails.
std::optional<std::string> digestOf(int fd, uint64_t limit, int& error) {
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    std::vector<unsigned char> chunk(1 << 20);
    uint64_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return std::nullopt;
        }
        total += static_cast<uint64_t>(n);
        if (total > limit) return std::nullopt;
        crypto_hash_sha256_update(&state, chunk.data(), static_cast<unsigned long long>(n));
    }
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256_final(&state, digest);
    return hexString(digest, sizeof digest);
}

}  // namespace

void UpdateChecker::verifyDownload(const std::filesystem::path& file, const UpdateManifest& manifest) {
    if (manifest.size < 0) throw UpdateFailure::download;
    const auto size = static_cast<uint64_t>(manifest.size);
    // Only a file of our own of the size offered is hashed: whatever else was put in its place
    // fails as a changed download does.
    const platform::OpenedFile opened(file, size, platform::Links::refuse);
    if (!opened.ok() || opened.size() != size) throw UpdateFailure::download;
    int error = 0;
    if (digestOf(opened.fd(), size, error) != manifest.sha256) throw UpdateFailure::download;
}

std::string UpdateChecker::fileDigest(const std::filesystem::path& file) {
    const platform::OpenedFile opened(file, std::numeric_limits<uint64_t>::max());
    int error = opened.outcome() == platform::FileRead::Outcome::missing ? ENOENT : EIO;
    auto digest = opened.ok() ? digestOf(opened.fd(), std::numeric_limits<uint64_t>::max(), error) : std::nullopt;
    if (!digest)
        throw std::filesystem::filesystem_error("cannot read", file, std::error_code(error, std::generic_category()));
    return *digest;
}

}  // namespace updates
