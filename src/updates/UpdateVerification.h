#pragma once

#include <filesystem>
#include <optional>

#include "model/UpdateTypes.h"

namespace updates {

// Whether a downloaded image still is the one the manifest describes: its exact size and its
// SHA-256. nullopt when it matches; `download` when the file is missing, unreadable, of
// another size or another digest.
std::optional<UpdateFailure> verifyDownload(const std::filesystem::path& file, const UpdateManifest& manifest);

}  // namespace updates
