#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/Http.h"
#include "model/UpdateTypes.h"

namespace model {
class AppModel;
}

namespace updates {

// Downloads the image an available update names into the Updates folder, checks its exact
// size and SHA-256 while it arrives, and publishes progress and outcome in the model's
// `updateDownloadState`. Main loop only.
class UpdateDownloadController final {
public:
    UpdateDownloadController(model::AppModel& model, platform::HttpClient& http, platform::BackgroundQueue& background,
                             UpdateRules rules, std::filesystem::path folder);
    ~UpdateDownloadController();
    UpdateDownloadController(const UpdateDownloadController&) = delete;
    UpdateDownloadController& operator=(const UpdateDownloadController&) = delete;

    // Begins a download; ignored while one runs.
    void start(const UpdateManifest& manifest);
    // Stops any download, removes its partial file and returns the state to idle; late
    // results of the stopped download change nothing.
    void cancel();
    // Removes images and partial files left in the folder, except `keep`.
    void removeStaleDownloads(const std::filesystem::path& keep = {}) const;
    bool isRunning() const { return task_ != nullptr; }
    const std::filesystem::path& folder() const { return folder_; }

private:
    struct Operation;
    void fail(const std::shared_ptr<Operation>& operation);
    void received(const std::shared_ptr<Operation>& operation, std::string_view bytes);
    void completed(const std::shared_ptr<Operation>& operation);
    void report(const std::shared_ptr<Operation>& operation, double fraction);

    model::AppModel& model_;
    platform::HttpClient& http_;
    platform::BackgroundQueue& background_;
    UpdateRules rules_;
    std::filesystem::path folder_;
    uint64_t operationID_ = 0;
    std::shared_ptr<Operation> task_;
};

}  // namespace updates
