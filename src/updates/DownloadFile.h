#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace updates {

// A download on its way to `destination`: written into "<destination>.part", a new file only
// its owner may read, hashed while it is written. Destroyed before it was committed, it
// removes the part, so no failure leaves bytes behind.
class DownloadFile {
public:
    // nullptr when the part cannot be created (it exists, or the folder is not writable).
    static std::unique_ptr<DownloadFile> create(const std::filesystem::path& destination);
    ~DownloadFile();
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // Appends and hashes; false on a write error.
    bool write(std::string_view bytes);
    int64_t size() const { return size_; }
    // The SHA-256 of everything written, lower-case hexadecimal; call once.
    std::string finishDigest();
    // Syncs the bytes to disk and renames the part to the destination; false on failure, and
    // then the part is removed. Then records where the file came from, where the file
    // system allows it.
    bool commit(const std::string& originURL);
    const std::filesystem::path& destination() const { return destination_; }

private:
    DownloadFile(std::filesystem::path destination, int fd);
    std::filesystem::path destination_;
    std::filesystem::path part_;
    int fd_ = -1;
    int64_t size_ = 0;
    bool committed_ = false;
    struct Hash;
    std::unique_ptr<Hash> hash_;
};

}  // namespace updates
