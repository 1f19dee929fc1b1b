#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HexString.h"
#include "platform/Http.h"
#include "model/UpdateTypes.h"

namespace updates {

// A value of the program's information property list by key; nullopt when absent or no text.
using InfoLookup = std::function<std::optional<std::string>(const std::string& key)>;

// Where the signed feed is and the Ed25519 key that signs it.
struct UpdateConfiguration {
    std::string feedURL;
    std::vector<unsigned char> publicKey;  // 32 raw bytes

    // From "TuftleUpdateFeedURL" (an HTTPS address) and "TuftleUpdatePublicKey" (standard
    // Base64 of 32 bytes); nullopt when either is missing or malformed.
    static std::optional<UpdateConfiguration> fromInfo(const InfoLookup& info);
};

// What the check and the download need to know of this program and this computer.
struct UpdateEnvironment {
    std::optional<UpdateConfiguration> configuration;
    // "CFBundleVersion" as a decimal integer; nullopt when it cannot be read.
    std::optional<int64_t> currentBuild;
    SystemVersion system;
    std::string architecture;  // "x86_64", "arm64" (aarch64) or the machine's own name
    UpdateRules rules;
    std::filesystem::path downloadFolder;
    // A server that trickles bytes just inside the request's idle timeout must not keep the
    // check going: it fails as a network failure after this many seconds.
    double checkDeadline = 30;
    // The image this process was started from, when it is one; never removed.
    std::filesystem::path runningImage{};

    // This process: the bundle's values, the C library's version, the machine's
    // architecture, $XDG_CACHE_HOME/tuftle/Updates and $APPIMAGE.
    static UpdateEnvironment running(const InfoLookup& info);
};

// A running check; destroying it stops the request and drops its result.
class UpdateCheckTask {
public:
    virtual ~UpdateCheckTask() = default;
};

struct UpdateChecker {
    static constexpr size_t maximumFeedBytes = 65536;

    // Verifies the signed feed document and decodes and validates its manifest; throws
    // UpdateFailure.
    static UpdateManifest verifiedManifest(std::string_view data, const std::vector<unsigned char>& publicKey,
                                           const UpdateRules& rules = {});
    // Fetches the feed and decides. `done` gets the result once, on the main loop, unless the
    // task is destroyed first; when nothing is configured it gets it at once and no task is
    // returned.
    static std::unique_ptr<UpdateCheckTask> check(const UpdateEnvironment& environment, platform::HttpClient& http,
                                                  std::function<void(UpdateCheckResult)> done);
    // What a check finding this verified manifest tells this computer: available, current
    // (also without a known running build), or failed for the hardware or the system.
    static UpdateCheckResult offer(const UpdateManifest& manifest, const UpdateEnvironment& environment);
    // Throws UpdateFailure::download unless the file is a regular file (no link to one) of the
    // manifest's exact size and SHA-256.
    static void verifyDownload(const std::filesystem::path& file, const UpdateManifest& manifest);
    // Lower-case hexadecimal SHA-256 of the file's bytes.
    static std::string fileDigest(const std::filesystem::path& file);
};

// The localised texts the interface shows.
std::string title(UpdateFailure failure);
std::string title(const UpdateCheckResult& result);

// Compares texts with runs of digits taken by value ("14.10" > "14.9"); a proper prefix is
// the smaller ("14.5" < "14.5.0"). Negative, zero or positive.
int compareNumerically(std::string_view a, std::string_view b);

using platform::hexString;

}  // namespace updates
