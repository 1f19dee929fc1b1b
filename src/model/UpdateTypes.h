#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace updates {

// Why an update check or download failed; thrown as itself by the update steps.
enum class UpdateFailure { network, untrusted, invalid, incompatible, hardware, download };

// Values fixed where the program is packaged: the one host update images come from, compared
// exactly, and the images' file extension.
struct UpdateRules {
    std::string downloadHost = "github.com";
    std::string artifactExtension = "AppImage";
};

// A system version as three numbers; on Linux the C library's version.
struct SystemVersion {
    int64_t major = 0;
    int64_t minor = 0;
    int64_t patch = 0;
};

// The description of an available update, as the signed feed carries it. The JSON keys are
// the field names.
struct UpdateManifest {
    int64_t schemaVersion = 0;
    std::string product;
    std::string version;  // marketing version, three dotted numbers
    int64_t build = 0;
    std::string minimumSystemVersion;
    std::string downloadURL;
    std::string sha256;  // lower-case hexadecimal
    int64_t size = 0;    // exact bytes of the image
    // Release notes: plain text from the network, so a view never renders them as rich text
    // (a label with Qt::PlainText), which keeps markup and links out.
    std::string notesZH;
    std::string notesEN;
    std::vector<std::string> architectures;

    friend bool operator==(const UpdateManifest&, const UpdateManifest&) = default;

    // Throws UpdateFailure::invalid at the first content rule the manifest breaks.
    void validate(const UpdateRules& rules = {}) const;
    // Whether a system of this version may run the update.
    bool supports(SystemVersion system) const;
    // An absolute "https" address (scheme exactly as written) with a host and no user part.
    static bool isHTTPS(std::string_view url);
    // The JSON object of the feed's payload, and back; decoding throws UpdateFailure::invalid
    // at a missing or mistyped field (it does not validate).
    std::string json() const;
    static UpdateManifest fromJSON(std::string_view bytes);
};

// The outcome of an update check. `manifest` is set only for `available`, `failure` only
// for `failed`.
struct UpdateCheckResult {
    enum class Kind { available, failed, checking, current, notConfigured };

    Kind kind = Kind::current;
    std::optional<UpdateManifest> manifest;
    std::optional<UpdateFailure> failure;

    static UpdateCheckResult available(UpdateManifest m) { return {Kind::available, std::move(m), std::nullopt}; }
    static UpdateCheckResult failed(UpdateFailure f) { return {Kind::failed, std::nullopt, f}; }
    static UpdateCheckResult checking() { return {Kind::checking, std::nullopt, std::nullopt}; }
    static UpdateCheckResult current() { return {Kind::current, std::nullopt, std::nullopt}; }
    static UpdateCheckResult notConfigured() { return {Kind::notConfigured, std::nullopt, std::nullopt}; }

    friend bool operator==(const UpdateCheckResult&, const UpdateCheckResult&) = default;
};

// The progress of an update download. `fraction` (0...1) belongs to `downloading`, `url`
// (the verified image) to `ready`.
struct UpdateDownloadState {
    enum class Kind { downloading, ready, idle, verifying, failed };

    Kind kind = Kind::idle;
    double fraction = 0;
    std::filesystem::path url;

    static UpdateDownloadState downloading(double fraction) { return {Kind::downloading, fraction, {}}; }
    static UpdateDownloadState ready(std::filesystem::path url) { return {Kind::ready, 0, std::move(url)}; }
    static UpdateDownloadState idle() { return {}; }
    static UpdateDownloadState verifying() { return {Kind::verifying, 0, {}}; }
    static UpdateDownloadState failed() { return {Kind::failed, 0, {}}; }

    friend bool operator==(const UpdateDownloadState&, const UpdateDownloadState&) = default;
};

}  // namespace updates
