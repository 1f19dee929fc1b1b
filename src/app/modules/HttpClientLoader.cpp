#include <QTimer>
#include <cstdio>

#include "HttpClient.h"
#include "ModuleLoader.h"

namespace app::modules {
namespace {

// A request that cannot be made: it finishes with `error` on a later turn, as a failed
// transfer would.
class FailedTransfer final : public platform::HttpTransfer {
public:
    FailedTransfer(platform::HttpHandlers handlers, std::string error) : alive_(std::make_shared<bool>(true)) {
        QTimer::singleShot(0, [alive = std::weak_ptr<bool>(alive_), onFinish = std::move(handlers.onFinish),
                               error = std::move(error)] {
            if (alive.lock() && onFinish) onFinish(error);
        });
    }
    void cancel() override { alive_.reset(); }

private:
    std::shared_ptr<bool> alive_;
};

}  // namespace

std::unique_ptr<platform::HttpTransfer> OnDemandHttpClient::get(const platform::HttpRequest& request,
                                                                platform::HttpHandlers handlers) {
    static auto& module = loadModule(TUFTLE_HTTP_MODULE, platform::ModuleFile::Symbols::local);
    // Asked every time: each download says what the module's file is now, as the first did.
    if (auto* entry = module.symbol("tuftleMakeHttpClient")) {
        if (!client_) client_.reset(reinterpret_cast<decltype(&tuftleMakeHttpClient)>(entry)());
        return client_->get(request, std::move(handlers));
    }
    const std::string why = module.error().english();
    std::fprintf(stderr, "tuftle: downloads are not available: %s\n", why.c_str());
    return std::make_unique<FailedTransfer>(std::move(handlers), "downloads are not available: " + why);
}

}  // namespace app::modules
