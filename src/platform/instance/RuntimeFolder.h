#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/Reason.h"

namespace platform {

// The longest file name put into a runtime folder, a socket's included.
inline constexpr size_t kLongestRuntimeFileName = sizeof "tuftle-0123456789abcdef.socket" - 1;

// The folder for this user's sockets and lock files: $XDG_RUNTIME_DIR where it is an absolute
// folder of this user's that no one else may enter and short enough for a socket's name in it;
// else the first of tuftle-<uid>, tuftle-<uid>-1 ... tuftle-<uid>-9 in $TMPDIR or /tmp that is
// this user's alone, made private (0700) when missing. A folder of another user's, or one that
// holds anything of another user's (planted while it was open), is passed over: every start
// walks the same names, so starts without XDG_RUNTIME_DIR still meet in one folder. Nothing,
// and `problem` says why, when none serves.
std::optional<std::filesystem::path> privateRuntimeFolder(Reason& problem);

// Empty when `file` is this user's, in a folder of this user's that no one else may write to;
// else why not. `type` is the file type bits (S_IFSOCK, S_IFREG) it must have.
Reason ownFileProblem(const std::filesystem::path& file, unsigned type);
// That `file` is not this user's.
Reason notThisUsers(const std::filesystem::path& file);

}  // namespace platform
