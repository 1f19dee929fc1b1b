#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Http.h"
#include "model/UpdateTypes.h"
#include "updates/UpdatesFolder.h"

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
                             UpdateRules rules, std::filesystem::path folder, std::filesystem::path runningImage = {});
    ~UpdateDownloadController();
    UpdateDownloadController(const UpdateDownloadController&) = delete;
    UpdateDownloadController& operator=(const UpdateDownloadController&) = delete;

    // Begins a download; ignored while one runs.
    void start(const UpdateManifest& manifest);
    // Stops any download, removes its partial file and returns the state to idle; late
    // results of the stopped download change nothing.
    void cancel();
    // Removes the download's files left in the folder, except `keep` and the running image.
    void removeStaleDownloads(const std::filesystem::path& keep = {}) const;
    // At start: removes what earlier runs left that cannot be offered again, then, off the main
    // loop, checks the bytes of the verified images kept and hands the newest on to `found`.
    void restore(const UpdateEnvironment& environment, std::function<void(const KeptUpdate&)> found);
    // The verified image of this manifest, downloaded or kept from an earlier run, while it exists.
    std::optional<std::filesystem::path> verifiedImage(const UpdateManifest& manifest) const;
    // Removes an image that no longer matches, with its manifest.
    void discard(const std::filesystem::path& image);
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
    std::filesystem::path runningImage_;
    std::optional<KeptUpdate> verified_;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
    uint64_t operationID_ = 0;
    std::shared_ptr<Operation> task_;
};

}  // namespace updates
