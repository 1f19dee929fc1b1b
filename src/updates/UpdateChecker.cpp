#include "updates/UpdateChecker.h"

#include <gnu/libc-version.h>
#include <sys/utsname.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "platform/Services.h"
#include "platform/storage/UserFolders.h"

namespace updates {
namespace {

constexpr double kRequestIdleTimeout = 20;  // s

std::optional<int64_t> decimal(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

SystemVersion libcVersion() {
    SystemVersion version;
    int64_t* parts[] = {&version.major, &version.minor, &version.patch};
    std::string_view text = gnu_get_libc_version();
    for (int64_t* part : parts) {
        const size_t dot = std::min(text.find('.'), text.size());
        *part = decimal(text.substr(0, dot)).value_or(0);
        text.remove_prefix(std::min(dot + 1, text.size()));
    }
    return version;
}

std::string machineArchitecture() {
    utsname name{};
    if (::uname(&name) != 0) return {};
    const std::string machine = name.machine;
    return machine == "aarch64" || machine == "arm64" ? "arm64" : machine;
}

class FeedCheck final : public UpdateCheckTask {
public:
    struct State {
        UpdateEnvironment environment;
        std::function<void(UpdateCheckResult)> done;
        std::unique_ptr<platform::HttpTransfer> transfer;
        std::string body;

        void finish(UpdateCheckResult result) {
            if (!done) return;
            if (transfer) transfer->cancel();
            auto finished = std::move(done);
            done = nullptr;
            finished(std::move(result));
        }

        void decide() {
            try {
                finish(UpdateChecker::offer(
                    UpdateChecker::verifiedManifest(body, environment.configuration->publicKey, environment.rules),
                    environment));
            } catch (UpdateFailure failure) {
                finish(UpdateCheckResult::failed(failure));
            } catch (...) {
                finish(UpdateCheckResult::failed(UpdateFailure::network));
            }
        }
    };

    explicit FeedCheck(std::shared_ptr<State> state) : state_(std::move(state)) {}
    ~FeedCheck() override {
        state_->done = nullptr;
        if (state_->transfer) state_->transfer->cancel();
    }

private:
    std::shared_ptr<State> state_;
};

}  // namespace

UpdateCheckResult UpdateChecker::offer(const UpdateManifest& manifest, const UpdateEnvironment& environment) {
    const auto& architectures = manifest.architectures;
    if (!environment.currentBuild || *environment.currentBuild >= manifest.build) return UpdateCheckResult::current();
    if (std::find(architectures.begin(), architectures.end(), environment.architecture) == architectures.end())
        return UpdateCheckResult::failed(UpdateFailure::hardware);
    if (!manifest.supports(environment.system)) return UpdateCheckResult::failed(UpdateFailure::incompatible);
    return UpdateCheckResult::available(manifest);
}

UpdateEnvironment UpdateEnvironment::running(const InfoLookup& info) {
    UpdateEnvironment environment;
    environment.configuration = UpdateConfiguration::fromInfo(info);
    if (const auto build = info("CFBundleVersion")) environment.currentBuild = decimal(*build);
    environment.system = libcVersion();
    environment.architecture = machineArchitecture();
    environment.downloadFolder = platform::cacheHome() / "tuftle" / "Updates";
    // The AppImage runtime names the image this process runs from.
    if (const char* image = std::getenv("APPIMAGE"); image && *image) environment.runningImage = image;
    return environment;
}

std::unique_ptr<UpdateCheckTask> UpdateChecker::check(const UpdateEnvironment& environment,
                                                      platform::HttpClient& http,
                                                      std::function<void(UpdateCheckResult)> done) {
    // A build number that cannot be read would make every feed look newer.
    if (!environment.configuration || !UpdateManifest::isHTTPS(environment.configuration->feedURL) ||
        !environment.currentBuild) {
        done(UpdateCheckResult::notConfigured());
        return nullptr;
    }
    auto state = std::make_shared<FeedCheck::State>();
    state->environment = environment;
    state->done = std::move(done);
    const std::weak_ptr<FeedCheck::State> weak = state;

    platform::HttpRequest request;
    request.url = environment.configuration->feedURL;
    request.idleTimeout = kRequestIdleTimeout;
    request.headers = {{"Accept", "application/json"}};
    platform::HttpHandlers handlers;
    handlers.onResponse = [weak](const platform::HttpResponse& response) {
        if (auto s = weak.lock(); s && (response.status != 200 || !UpdateManifest::isHTTPS(response.url)))
            s->finish(UpdateCheckResult::failed(UpdateFailure::network));
    };
    handlers.onData = [weak](std::string_view bytes) {
        auto s = weak.lock();
        if (!s) return;
        if (s->body.size() + bytes.size() > maximumFeedBytes)
            s->finish(UpdateCheckResult::failed(UpdateFailure::invalid));
        else
            s->body.append(bytes);
    };
    handlers.onFinish = [weak](std::optional<std::string> error) {
        auto s = weak.lock();
        if (!s) return;
        if (error)
            s->finish(UpdateCheckResult::failed(UpdateFailure::network));
        else
            s->decide();
    };
    state->transfer = http.get(request, std::move(handlers));
    platform::mainLoop().after(environment.checkDeadline, [weak] {
        if (auto s = weak.lock()) s->finish(UpdateCheckResult::failed(UpdateFailure::network));
    });
    return std::make_unique<FeedCheck>(std::move(state));
}

}  // namespace updates
