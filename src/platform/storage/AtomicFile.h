#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

namespace platform {

// Replaces `file` with `bytes` all at once: they go to a new temporary file in the same
// folder, are synced, and the temporary file is renamed over `file`. On any failure the
// temporary file is removed and `file` is left as it was (missing or with its old content),
// never half written. Answers the error of the failing step, or no error. The folder must
// exist; a new file gets `mode` (before the umask).
std::error_code writeFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                                    std::filesystem::perms mode = std::filesystem::perms(0644));

// Replaces a file other programs may change too, as writeFileAtomically does, except that the
// new file gets exactly `mode`, whatever the umask, and that `stillAsRead` is asked once it is
// on disk, just before the rename: when it answers false, the new file is removed, `file` is
// left as it is and the answer is std::errc::operation_canceled.
std::error_code replaceFileIfUnchanged(const std::filesystem::path& file, std::string_view bytes,
                                       std::filesystem::perms mode, const std::function<bool()>& stillAsRead);

}  // namespace platform
