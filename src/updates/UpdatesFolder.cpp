#include "updates/UpdatesFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <map>
#include <vector>

#include "platform/storage/RegularFile.h"

namespace updates {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kImagePrefix = "Fernmote-";
constexpr std::string_view kBuildMarker = "-Build";
constexpr std::string_view kManifestSuffix = ".manifest";
constexpr std::string_view kPartSuffix = ".part";
constexpr size_t kUuidLength = 36;

bool isUuid(std::string_view text) {
    if (text.size() != kUuidLength) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

// Dotted numbers, as a valid manifest's version is written.
bool isVersion(std::string_view text) {
    return !text.empty() && text.front() != '.' && text.back() != '.' && text.find("..") == std::string_view::npos &&
           std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

bool stripSuffix(std::string_view& text, std::string_view suffix) {
    if (!text.ends_with(suffix)) return false;
    text.remove_suffix(suffix.size());
    return true;
}

bool isRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() == fs::file_type::regular;
}

bool isRunning(const fs::path& file, const fs::path& running) {
    std::error_code error;
    return !running.empty() && fs::equivalent(file, running, error);
}

// A manifest file of at most a feed's size, read without following a link or blocking.
std::optional<UpdateManifest> readImageManifest(const fs::path& file) {
    const auto found = platform::readRegularFile(file, UpdateChecker::maximumFeedBytes, platform::OversizedFile::refuse,
                                                 platform::Links::refuse);
    if (!found.ok()) return std::nullopt;
    const std::string& bytes = found.bytes;
    try {
        return UpdateManifest::fromJSON(bytes);
    } catch (...) {
        return std::nullopt;
    }
}

// The manifest recorded beside the image when it names it and would still be offered here.
std::optional<UpdateManifest> stillOffered(const fs::path& image, const DownloadName& name,
                                           const UpdateEnvironment& environment) {
    auto recorded = readImageManifest(manifestFileOf(image));
    if (!recorded || recorded->build != name.build || recorded->version != name.version) return std::nullopt;
    try {
        recorded->validate(environment.rules);
    } catch (...) {
        return std::nullopt;
    }
    if (UpdateChecker::offer(*recorded, environment).kind != UpdateCheckResult::Kind::available) return std::nullopt;
    return recorded;
}

}  // namespace

std::string DownloadName::imageName(const UpdateManifest& manifest, const std::string& uuid,
                                    std::string_view extension) {
    return std::string(kImagePrefix) + manifest.version + std::string(kBuildMarker) + std::to_string(manifest.build) +
           "-" + uuid + "." + std::string(extension);
}

std::optional<DownloadName> DownloadName::parse(std::string_view fileName, std::string_view extension) {
    DownloadName name;
    if (stripSuffix(fileName, kManifestSuffix))
        name.kind = Kind::manifest;
    else if (stripSuffix(fileName, kPartSuffix))
        name.kind = Kind::part;
    name.image = std::string(fileName);
    std::string_view rest = fileName;
    if (!rest.starts_with(kImagePrefix) || !stripSuffix(rest, "." + std::string(extension))) return std::nullopt;
    rest.remove_prefix(kImagePrefix.size());
    if (rest.size() < kUuidLength + 1 || !isUuid(rest.substr(rest.size() - kUuidLength)) ||
        rest[rest.size() - kUuidLength - 1] != '-')
        return std::nullopt;
    rest.remove_suffix(kUuidLength + 1);
    const size_t marker = rest.rfind(kBuildMarker);
    if (marker == std::string_view::npos) return std::nullopt;
    name.version = std::string(rest.substr(0, marker));
    const std::string_view build = rest.substr(marker + kBuildMarker.size());
    const auto [end, error] = std::from_chars(build.data(), build.data() + build.size(), name.build);
    // A build is written in decimal without a sign or leading zeros.
    if (!isVersion(name.version) || build.empty() || build.front() < '1' || build.front() > '9' ||
        error != std::errc() || end != build.data() + build.size())
        return std::nullopt;
    return name;
}

fs::path manifestFileOf(const fs::path& image) {
    return image.string() + std::string(kManifestSuffix);
}

bool writeImageManifest(const fs::path& image, const UpdateManifest& manifest) {
    const fs::path file = manifestFileOf(image);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const std::string text = manifest.json();
    std::string_view bytes = text;
    bool written = true;
    while (written && !bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) bytes.remove_prefix(size_t(n));
    }
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    if (!written) ::unlink(file.c_str());
    return written;
}

std::vector<KeptUpdate> sweepUpdatesFolder(const UpdateEnvironment& environment) {
    std::map<fs::path, DownloadName> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(environment.downloadFolder, error)) {
        auto name = DownloadName::parse(entry.path().filename().string(), environment.rules.artifactExtension);
        if (name && isRegularFile(entry.path())) files.emplace(entry.path(), std::move(*name));
    }
    std::vector<KeptUpdate> kept;
    for (const auto& [path, name] : files)
        if (name.kind == DownloadName::Kind::image)
            if (auto manifest = stillOffered(path, name, environment)) kept.push_back({path, std::move(*manifest)});
    const auto keeps = [&](const fs::path& image) {
        return isRunning(image, environment.runningImage) ||
               std::any_of(kept.begin(), kept.end(), [&](const KeptUpdate& k) { return k.image == image; });
    };
    for (const auto& [path, name] : files)
        if (name.kind == DownloadName::Kind::part || !keeps(path.parent_path() / name.image)) fs::remove(path, error);
    return kept;
}

std::optional<KeptUpdate> newestIntact(const std::vector<KeptUpdate>& candidates, const fs::path& running) {
    std::optional<KeptUpdate> newest;
    for (const KeptUpdate& candidate : candidates) {
        try {
            UpdateChecker::verifyDownload(candidate.image, candidate.manifest);
        } catch (...) {
            removeDownload(candidate.image, running);
            continue;
        }
        if (!newest || candidate.manifest.build > newest->manifest.build) newest = candidate;
    }
    return newest;
}

void removeDownload(const fs::path& image, const fs::path& running) {
    if (isRunning(image, running)) return;
    std::error_code error;
    for (const fs::path& file : {image, manifestFileOf(image), fs::path(image.string() + std::string(kPartSuffix))})
        if (isRegularFile(file)) fs::remove(file, error);
}

}  // namespace updates
