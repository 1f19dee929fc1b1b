#include "updates/UpdateDownloadController.h"

#include <algorithm>
#include <vector>

#include "model/AppModel.h"
#include "platform/Services.h"
#include "updates/DownloadFile.h"
#include "updates/UpdateChecker.h"

namespace updates {
namespace {

constexpr double kIdleTimeout = 60;       // s without a byte
constexpr double kResourceTimeout = 600;  // s for the whole transfer
constexpr double kProgressStep = 0.01;

}  // namespace

struct UpdateDownloadController::Operation {
    uint64_t token = 0;
    UpdateManifest manifest;
    std::shared_ptr<DownloadFile> file;
    std::unique_ptr<platform::HttpTransfer> transfer;
    double lastProgress = -1;
};

UpdateDownloadController::UpdateDownloadController(model::AppModel& model, platform::HttpClient& http,
                                                   platform::BackgroundQueue& background, UpdateRules rules,
                                                   std::filesystem::path folder, std::filesystem::path runningImage)
    : model_(model), http_(http), background_(background), rules_(std::move(rules)), folder_(std::move(folder)),
      runningImage_(std::move(runningImage)) {}

UpdateDownloadController::~UpdateDownloadController() = default;

void UpdateDownloadController::start(const UpdateManifest& manifest) {
    if (task_) return;
    auto operation = std::make_shared<Operation>();
    operation->token = ++operationID_;
    operation->manifest = manifest;
    task_ = operation;
    const auto previous = model_.updateDownloadState.get();
    model_.updateDownloadState = UpdateDownloadState::downloading(0);
    try {
        manifest.validate(rules_);
    } catch (...) {
        return fail(operation);
    }
    removeStaleDownloads(previous.kind == UpdateDownloadState::Kind::ready ? previous.url : std::filesystem::path());
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    operation->file = DownloadFile::create(
        folder_ / DownloadName::imageName(manifest, platform::uuids().next().string(), rules_.artifactExtension));
    if (!operation->file) return fail(operation);

    const std::weak_ptr<Operation> weak = operation;
    platform::HttpHandlers handlers;
    handlers.onResponse = [this, weak](const platform::HttpResponse& response) {
        auto op = weak.lock();
        if (!op) return;
        // A length announced beyond the manifest's size cannot end well: stop before reading.
        if (response.status != 200 || !UpdateManifest::isHTTPS(response.url) ||
            response.contentLength.value_or(0) > op->manifest.size)
            fail(op);
    };
    handlers.onData = [this, weak](std::string_view bytes) {
        if (auto op = weak.lock()) received(op, bytes);
    };
    handlers.onFinish = [this, weak](std::optional<std::string> error) {
        auto op = weak.lock();
        if (!op) return;
        if (error)
            fail(op);
        else
            completed(op);
    };
    operation->transfer = http_.get(platform::HttpRequest{manifest.downloadURL, kIdleTimeout, {}}, std::move(handlers));
    platform::mainLoop().after(kResourceTimeout, [this, weak] {
        if (auto op = weak.lock(); op && op->transfer) fail(op);
    });
}

void UpdateDownloadController::cancel() {
    ++operationID_;
    task_.reset();
    model_.updateDownloadState = UpdateDownloadState::idle();
}

void UpdateDownloadController::removeStaleDownloads(const std::filesystem::path& keep) const {
    std::error_code error;
    std::vector<std::filesystem::path> images;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
        const auto name = DownloadName::parse(entry.path().filename().string(), rules_.artifactExtension);
        if (name && folder_ / name->image != keep) images.push_back(folder_ / name->image);
    }
    for (const auto& image : images) removeDownload(image, runningImage_);
}

void UpdateDownloadController::restore(const UpdateEnvironment& environment,
                                       std::function<void(const KeptUpdate&)> found) {
    auto candidates = std::make_shared<std::vector<KeptUpdate>>(sweepUpdatesFolder(environment));
    if (candidates->empty()) return;
    auto newest = std::make_shared<std::optional<KeptUpdate>>();
    // Hashing an image takes a while: off the main loop.
    background_.run([candidates, newest, running = runningImage_] { *newest = newestIntact(*candidates, running); },
                    [this, alive = std::weak_ptr<char>(alive_), newest, found = std::move(found)] {
                        if (alive.expired() || !*newest) return;
                        // A download finished meanwhile is the one to offer.
                        if (!verified_) verified_ = **newest;
                        found(**newest);
                    });
}

std::optional<std::filesystem::path> UpdateDownloadController::verifiedImage(const UpdateManifest& manifest) const {
    std::error_code error;
    if (!verified_ || verified_->manifest != manifest || !std::filesystem::is_regular_file(verified_->image, error))
        return std::nullopt;
    return verified_->image;
}

void UpdateDownloadController::discard(const std::filesystem::path& image) {
    if (verified_ && verified_->image == image) verified_.reset();
    removeDownload(image, runningImage_);
}

void UpdateDownloadController::fail(const std::shared_ptr<Operation>& operation) {
    operation->transfer.reset();
    operation->file.reset();
    if (operation->token != operationID_) return;
    model_.updateDownloadState = UpdateDownloadState::failed();
    task_.reset();
}

void UpdateDownloadController::received(const std::shared_ptr<Operation>& operation, std::string_view bytes) {
    DownloadFile& file = *operation->file;
    const int64_t expected = operation->manifest.size;
    if (file.size() + static_cast<int64_t>(bytes.size()) > expected || !file.write(bytes)) return fail(operation);
    const double fraction = std::clamp(double(file.size()) / double(std::max<int64_t>(expected, 1)), 0.0, 1.0);
    if (fraction == 1.0 || fraction - operation->lastProgress >= kProgressStep) report(operation, fraction);
}

void UpdateDownloadController::report(const std::shared_ptr<Operation>& operation, double fraction) {
    operation->lastProgress = fraction;
    if (operation->token == operationID_ && model_.updateDownloadState->kind == UpdateDownloadState::Kind::downloading)
        model_.updateDownloadState = UpdateDownloadState::downloading(fraction);
}

void UpdateDownloadController::completed(const std::shared_ptr<Operation>& operation) {
    operation->transfer.reset();
    const std::shared_ptr<DownloadFile> file = operation->file;
    if (file->size() != operation->manifest.size || file->finishDigest() != operation->manifest.sha256)
        return fail(operation);
    if (operation->token != operationID_) return;
    model_.updateDownloadState = UpdateDownloadState::verifying();
    auto committed = std::make_shared<bool>(false);
    // Syncing a large image may take a while: off the main loop. The file stays owned by this
    // step, so a cancel meanwhile does not pull it away half-way.
    // The manifest goes first: an image found without one at the next start was never verified.
    background_.run(
        [file, committed, manifest = operation->manifest] {
            writeImageManifest(file->destination(), manifest);
            *committed = file->commit(manifest.downloadURL);
            if (!*committed) removeDownload(file->destination());
        },
        [this, weak = std::weak_ptr<Operation>(operation), file, committed] {
            auto op = weak.lock();
            if (!op || op->token != operationID_) return;
            if (!*committed) return fail(op);
            verified_ = KeptUpdate{file->destination(), op->manifest};
            model_.updateDownloadState = UpdateDownloadState::ready(file->destination());
            task_.reset();
        });
}

}  // namespace updates
