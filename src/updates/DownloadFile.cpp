#include "updates/DownloadFile.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>

#include "updates/UpdateChecker.h"

namespace updates {

struct DownloadFile::Hash {
    crypto_hash_sha256_state state;
};

std::unique_ptr<DownloadFile> DownloadFile::create(const std::filesystem::path& destination) {
    if (sodium_init() < 0) return nullptr;
    const std::filesystem::path part = destination.string() + ".part";
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    return std::unique_ptr<DownloadFile>(new DownloadFile(destination, fd));
}

DownloadFile::DownloadFile(std::filesystem::path destination, int fd)
    : destination_(std::move(destination)), part_(destination_.string() + ".part"), fd_(fd),
      hash_(std::make_unique<Hash>()) {
    crypto_hash_sha256_init(&hash_->state);
}

DownloadFile::~DownloadFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(part_.c_str());
}

bool DownloadFile::write(std::string_view bytes) {
    crypto_hash_sha256_update(&hash_->state, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    size_ += static_cast<int64_t>(bytes.size());
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::string DownloadFile::finishDigest() {
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256_final(&hash_->state, digest);
    return hexString(digest, sizeof digest);
}

bool DownloadFile::commit(const std::string& originURL) {
    const bool synced = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed || ::rename(part_.c_str(), destination_.c_str()) != 0) return false;
    committed_ = true;
    // Tells file managers and browsers where the file came from; optional on Linux.
    ::setxattr(destination_.c_str(), "user.xdg.origin.url", originURL.data(), originURL.size(), 0);
    return true;
}

}  // namespace updates
