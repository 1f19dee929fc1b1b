#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Reason.h"

namespace platform {

// The file a chain of symbolic links ends at, existing or not; nullopt for a loop.
std::optional<std::filesystem::path> resolveLinks(std::filesystem::path file);

// What reading a file we own found. Only a regular file is opened, and without blocking, so a
// FIFO, a device or a folder put in its place can neither hang nor flood a start.
struct FileRead {
    enum class Outcome { read, missing, folder, device, notRegular, tooLarge, failed };
    Outcome outcome = Outcome::missing;
    std::string bytes;    // read: the file, or its last `limit` bytes (see OversizedFile)
    uint64_t offset = 0;  // where `bytes` start in the file
    int error = 0;        // failed: the errno

    bool ok() const { return outcome == Outcome::read; }
    // Why the file is not read, to follow its name in a sentence: "is a folder, not a file".
    std::string why() const { return whyNotRead(outcome, error); }
    static std::string whyNotRead(Outcome outcome, int error);
    // The same, for any language; empty for a file read or missing.
    static Reason reasonNotRead(Outcome outcome, int error);
};

enum class OversizedFile { refuse, readTail };
// A link where only the program's own files belong is refused like any other file that is not
// a regular one; elsewhere links are followed, as users keep dotfiles in a folder of their own.
enum class Links { follow, refuse };

// Reads `file` when it is a regular file of at most `limit` bytes; a larger one is refused, or
// only its last `limit` bytes are read.
FileRead readRegularFile(const std::filesystem::path& file, uint64_t limit, OversizedFile oversized,
                         Links links = Links::follow);

// A regular file of at most `limit` bytes opened for reading (without blocking, closed on exec),
// for readers that take it in parts. Closed with this object.
class OpenedFile {
public:
    OpenedFile(const std::filesystem::path& file, uint64_t limit, Links links = Links::follow);
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    ~OpenedFile();

    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    uint64_t size() const { return size_; }  // when opened
    FileRead::Outcome outcome() const { return outcome_; }
    std::string why() const { return FileRead::whyNotRead(outcome_, error_); }
    Reason reason() const { return FileRead::reasonNotRead(outcome_, error_); }

private:
    int fd_ = -1;
    uint64_t size_ = 0;
    FileRead::Outcome outcome_ = FileRead::Outcome::missing;
    int error_ = 0;
};

}  // namespace platform
