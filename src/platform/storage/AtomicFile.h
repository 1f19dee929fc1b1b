#pragma once

#include <filesystem>
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

}  // namespace platform
