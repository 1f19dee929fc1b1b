#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/storage/RegularFile.h"

namespace platform {

// A small file other programs may change too, as it was read, held open so that a replacement
// can tell whether anything changed it since: while it is open its inode cannot stand for
// another file.
class FileAsRead {
public:
    // Reads `file` when it is a regular file (not a link) of at most `limit` bytes.
    FileAsRead(const std::filesystem::path& file, uint64_t limit);
    FileAsRead(const FileAsRead&) = delete;
    FileAsRead& operator=(const FileAsRead&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Nothing when the file is missing, unreadable, too large, or a link, which leads to a file
    // kept elsewhere, maybe shared: that one is the user's to change.
    const std::optional<std::string>& text() const { return text_; }
    std::filesystem::perms mode() const { return std::filesystem::perms(read_.st_mode & 07777); }
    // A file of another user, or one its owner made read-only, is kept as it is on purpose; one
    // with other names (hard links) would lose them to a replacement, and its extended attributes.
    bool isOursToChange() const;
    // Whether the path still names the very file read, with the size, times and bytes it had,
    // and no program has it open to write: one that was part way through when the file was
    // read and has paused changes nothing yet.
    bool unchanged() const;
    // Replaces the file with `bytes`, same mode, as replaceFileIfUnchanged does, asking
    // unchanged() last, after `beforeCheck`.
    std::error_code replaceIfUnchanged(std::string_view bytes, const std::function<void()>& beforeCheck) const;

private:
    bool isOpenToWrite() const;

    std::filesystem::path path_;
    uint64_t limit_;
    OpenedFile file_;
    struct stat read_ {};
    std::optional<std::string> text_;
};

}  // namespace platform
