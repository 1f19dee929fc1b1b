#pragma once

#include <optional>

#include "model/UpdateTypes.h"

namespace updates {

// Downloads a verified update. For now it never starts one, so cancelling only settles state.
class UpdateDownloadController final {
public:
    // Cancels a running download and makes late results void.
    void cancel() { ++cancelCount_; }
    int cancelCount() const { return cancelCount_; }
    // Would download the manifest's image; this build has no network, so it only remembers
    // what it was asked for.
    void start(const UpdateManifest& manifest) { lastStarted_ = manifest; }
    const std::optional<UpdateManifest>& lastStarted() const { return lastStarted_; }

private:
    int cancelCount_ = 0;
    std::optional<UpdateManifest> lastStarted_;
};

}  // namespace updates
