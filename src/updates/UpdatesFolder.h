#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "updates/UpdateChecker.h"

namespace updates {

// The files the download writes into the Updates folder, and nothing else: that folder may be
// a link to a folder of the user's own, so every removal goes by these exact names.
//   Fernmote-<version>-Build<build>-<UUID>.<extension>   the verified image
//   ...same....manifest                                  what it was verified against
//   ...same....part                                      an image still arriving
struct DownloadName {
    enum class Kind { image, manifest, part };
    Kind kind = Kind::image;
    std::string image;  // the image's file name, also for its manifest and part
    std::string version;
    int64_t build = 0;

    static std::string imageName(const UpdateManifest& manifest, const std::string& uuid, std::string_view extension);
    // nullopt for any name the download does not write.
    static std::optional<DownloadName> parse(std::string_view fileName, std::string_view extension);
};

std::filesystem::path manifestFileOf(const std::filesystem::path& image);

// Records, beside a verified image, the manifest it matched; false when it cannot be written.
bool writeImageManifest(const std::filesystem::path& image, const UpdateManifest& manifest);

// An image verified by an earlier download that this computer would still be offered.
struct KeptUpdate {
    std::filesystem::path image;
    UpdateManifest manifest;
};

// Removes from the environment's Updates folder every file of the download's names except the
// running image and the images whose recorded manifest would still be offered here; returns
// those, whose bytes are not checked yet.
std::vector<KeptUpdate> sweepUpdatesFolder(const UpdateEnvironment& environment);
// Hashes the candidates and removes those whose bytes changed; the newest of the rest. Blocking.
std::optional<KeptUpdate> newestIntact(const std::vector<KeptUpdate>& candidates,
                                       const std::filesystem::path& running);

// Removes an image with its manifest and part, unless it is `running`.
void removeDownload(const std::filesystem::path& image, const std::filesystem::path& running = {});

}  // namespace updates
