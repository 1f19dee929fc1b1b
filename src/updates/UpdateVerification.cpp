#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "updates/UpdateChecker.h"

namespace updates {

void UpdateChecker::verifyDownload(const std::filesystem::path& file, const UpdateManifest& manifest) {
    const auto size = std::filesystem::file_size(file);
    if (manifest.size < 0 || size != static_cast<uintmax_t>(manifest.size)) throw UpdateFailure::download;
    if (fileDigest(file) != manifest.sha256) throw UpdateFailure::download;
}

std::string UpdateChecker::fileDigest(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::filesystem::filesystem_error("cannot read", file, std::error_code(errno, std::generic_category()));
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    std::vector<unsigned char> chunk(1 << 20);
    ssize_t n = 0;
    while ((n = ::read(fd, chunk.data(), chunk.size())) != 0) {
        if (n > 0) {
            crypto_hash_sha256_update(&state, chunk.data(), static_cast<unsigned long long>(n));
        } else if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            throw std::filesystem::filesystem_error("cannot read", file, std::error_code(error, std::generic_category()));
        }
    }
    ::close(fd);
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256_final(&state, digest);
    return hexString(digest, sizeof digest);
}

}  // namespace updates
