#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

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
    std::string why() const;
};

enum class OversizedFile { refuse, readTail };

// Reads `file` (links followed) when it is a regular file of at most `limit` bytes; a larger
// one is refused, or only its last `limit` bytes are read.
FileRead readRegularFile(const std::filesystem::path& file, uint64_t limit, OversizedFile oversized);

}  // namespace platform
